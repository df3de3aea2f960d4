// Filled by the tests of this area.
