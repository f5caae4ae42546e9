#include "printspooler.h"

#include "sharedmodule.h"

namespace platform {

std::unique_ptr<PrintSpooler> PrintSpooler::load(QString *error)
{
    // Loaded once and kept: the spoolers it creates run its code until the process ends.
    static const SharedModule module(QStringLiteral("libzelvora-cups.so"));
    using Factory = PrintSpooler *(*)();
    const auto factory = reinterpret_cast<Factory>(module.resolve("zelvora_create_print_spooler"));
    if (!factory) {
        *error = module.isLoaded() ? QStringLiteral("zelvora_create_print_spooler missing") : module.errorString();
        return nullptr;
    }
    return std::unique_ptr<PrintSpooler>(factory());
}

} // namespace platform
