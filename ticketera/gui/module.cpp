#include "qtticketeraui.h"

// Entry point of the module that Ticketera loads when it needs its windows.
extern "C" Q_DECL_EXPORT TicketeraUi *ticketera_create_ui(int &argc, char **argv)
{
    return new QtTicketeraUi(argc, argv);
}
