# Shared settings of the project's shell tools. Sourced, not run.
# shellcheck shell=bash

PELMA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PELMA_CACHE=${PELMA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pelma}
PELMA_WINE=/usr/lib/wine/wine64
# Wine's 32-bit loader (Debian's wine32:i386): runs the i686 build in the same
# 64-bit prefix, as WoW64 runs a 32-bit program on 64-bit Windows.
PELMA_WINE32=/usr/lib/wine/wine
PELMA_WINESERVER=/usr/lib/wine/wineserver64

# Whether this machine's kernel runs 32-bit x86 programs at all: a kernel
# built or booted without IA-32 emulation refuses them ("Exec format error"),
# and then Wine's 32-bit side, installed or not, runs nothing. Tried with the
# smallest such program, 96 bytes that exit with 42.
kernel_runs_i386() {
  local f rc
  mkdir -p "$PELMA_CACHE"
  f=$(mktemp -p "$PELMA_CACHE")  # not /tmp, which may forbid running programs
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0'\
'\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\273\52\0\0\0\315\200' >"$f"
  chmod +x "$f"
  "$f" 2>/dev/null
  rc=$?
  rm -f "$f"
  [ "$rc" = 42 ]
}
KERNEL_RUNS_NO_I386="this machine's kernel does not run 32-bit programs (Exec format error)"
# Why the i686 build cannot be run here, or nothing when it can.
wine32_missing() {
  if ! kernel_runs_i386; then echo "$KERNEL_RUNS_NO_I386"
  elif [ ! -x "$PELMA_WINE32" ]; then echo "Wine's 32-bit side is not installed"; fi
}
[ -x "$PELMA_WINESERVER" ] || PELMA_WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# A prefix of its own may be given (parallel runs each need one).
export WINEPREFIX="${WINEPREFIX:-$PELMA_CACHE/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# (PELMA_DLLOVERRIDES adds settings of a run's own, e.g. native-first modules.)
export WINEDLLOVERRIDES="mscoree,mshtml=${PELMA_DLLOVERRIDES:+;$PELMA_DLLOVERRIDES}"
# The loader for a Windows executable: the 32-bit one for a PE32 file (the
# optional header's magic 0x10b), else the 64-bit one.
wine_for() {
  local pe magic
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  magic=$(od -An -tx2 -j$((pe + 24)) -N2 "$1" | tr -d ' ')
  if [ "$magic" = 010b ]; then echo "$PELMA_WINE32"; else echo "$PELMA_WINE"; fi
}
# The same, stopping with the reason when it is the 32-bit one and cannot run here.
runnable_wine_for() {
  local wine why
  wine=$(wine_for "$1")
  if [ "$wine" = "$PELMA_WINE32" ]; then
    why=$(wine32_missing)
    [ -z "$why" ] || die "$1 is a 32-bit program, and $why"
  fi
  echo "$wine"
}

# The build folder of a Windows preset named by the tools' common options:
# --32 or --preset win32 for the i686 build, --64 or --preset win64 (the
# default) for the x86_64 one.
preset_of() {
  case "$1" in
    --32) echo win32 ;;
    --64) echo win64 ;;
    win32|win64) echo "$1" ;;
    *) die "unknown build $1 (win32 or win64)" ;;
  esac
}

# Wine takes its ANSI code page (932) from the locale.
use_japanese_locale() {
  export LANG=ja_JP.UTF-8
  export LC_ALL=ja_JP.UTF-8
}

say() { printf '%s: %s\n' "$(basename "$0")" "$*" >&2; }
die() { say "$*"; exit 1; }

# Starts a private Xvfb and sets DISPLAY; the pid goes to PELMA_XVFB_PID.
start_xvfb() {
  local fifo fd_out
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  PELMA_XVFB_PID=$!
  read -r -t 20 fd_out <"$fifo" || { rm -f "$fifo"; die "Xvfb did not start"; }
  rm -f "$fifo"
  export DISPLAY=":$fd_out"
}

# Starts PulseAudio with a null sink so that the media devices keep real time.
start_pulse() {
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
  chmod 700 "$XDG_RUNTIME_DIR"
  PELMA_PULSE_STARTED=
  if ! pactl info >/dev/null 2>&1; then
    pulseaudio -D --exit-idle-time=-1 --system=false --disallow-exit >/dev/null 2>&1 || true
    PELMA_PULSE_STARTED=1
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  pactl load-module module-null-sink sink_name=null >/dev/null 2>&1 || true
  pactl set-default-sink null >/dev/null 2>&1 || true
}

stop_pulse() {
  if [ -n "${PELMA_PULSE_STARTED:-}" ]; then
    pulseaudio --kill >/dev/null 2>&1 || true
  fi
}

# Starts the wineserver for this prefix and a detached session, so that Wine's
# background processes never hold our output pipes open.
start_wine() {
  "$PELMA_WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$PELMA_WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

stop_wine() {
  "$PELMA_WINESERVER" -k >/dev/null 2>&1 || true
  "$PELMA_WINESERVER" -w >/dev/null 2>&1 || true
}
