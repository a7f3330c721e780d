// The module's exceptions as C++ types; module.cpp maps them to
// qxmsg.Error and its subclasses ConnectError, TimeoutError, RefusedError.
#pragma once

#include <stdexcept>

namespace qxpy {

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct ConnectError : Error {
  using Error::Error;
};
struct TimeoutError : Error {
  using Error::Error;
};
struct RefusedError : Error {
  using Error::Error;
};

}  // namespace qxpy
