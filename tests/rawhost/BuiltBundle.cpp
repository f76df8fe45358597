#include "RawVst3Host.h"

namespace echovane::rawhost
{
std::string builtBinary()
{
    return ECHOVANE_VST3_BINARY_FILE;
}
} // namespace echovane::rawhost
