// Calling convention of every export of the system's libraries (plug-ins,
// outside libraries, player library). Both the library and its callers take
// it from here; exports keep their undecorated names through .def files.
#pragma once

#define TEZAPI __cdecl
