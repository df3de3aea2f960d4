// The program's failures: one exception base that carries a message, and the
// kinds the program raises. Every handler boundary catches `pelma::Exception`
// and hands it to the application's error display.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace pelma {

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message) : message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return "pelma::Exception"; }

private:
    std::wstring message_;
};

// An I/O error of the program's own file reads: the system's error code of the
// failed call, and the message IoErrorMessage gives for it.
class EInOutError : public Exception {
public:
    EInOutError(int code, std::wstring message) : Exception(std::move(message)), code_(code) {}
    int Code() const noexcept { return code_; }

private:
    int code_;
};

class EInvalidGraphic : public Exception {
    using Exception::Exception;
};

class EReadError : public Exception {
    using Exception::Exception;
};

// A stream that could not be opened ("ファイル "%s". %s は開けません").
class EFOpenError : public Exception {
    using Exception::Exception;
};

class EJPEG : public Exception {
public:
    EJPEG(int code, std::wstring message) : Exception(std::move(message)), code_(code) {}
    int Code() const noexcept { return code_; }

private:
    int code_;
};

class EMCIDeviceError : public Exception {
    using Exception::Exception;
};

// Ends a handler without any message.
class EAbort : public Exception {
public:
    EAbort() : Exception(L"") {}
};

}  // namespace pelma
