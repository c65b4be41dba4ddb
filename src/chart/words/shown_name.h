// A file name, or any argument, as a message on a terminal may show it.
#pragma once

#include <string>
#include <string_view>

// The name with every control byte (C0, DEL and the C1 range), and every
// byte that is not part of well-formed UTF-8, written \xNN: a name can then
// neither steer the terminal nor break the one line of its message. Other
// text, in any script, stays as it is.
std::string shown_name(std::string_view name);
