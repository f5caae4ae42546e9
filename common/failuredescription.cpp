#include "failuredescription.h"

#include "zelvoraerror.h"

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

FailureDescription describeFailure(const std::exception &failure)
{
    if (const auto *own = dynamic_cast<const ZelvoraError *>(&failure))
        return {own->className(), own->message()};
    const char *mangled = typeid(failure).name();
    int status = 0;
    const std::unique_ptr<char, void (*)(void *)> readable(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                           std::free);
    return {QString::fromLatin1(readable ? readable.get() : mangled), QString::fromLocal8Bit(failure.what())};
}
