// The exception of the socket components and the texts of sockets errors.
#pragma once

#include <string>

#include "SysUtils.h"

class ESocketException : public Exception {
  using Exception::Exception;
};

// The text of a sockets error number.
std::string WSocketErrorDesc(int error);
