#include "lazyticketeraui.h"
#include "paths.h"
#include "printspooler.h"
#include "tfrmprincipal.h"

#include <QString>
#include <QStringList>

int main(int argc, char **argv)
{
    QStringList arguments{platform::executablePath()};
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    // No application object on a normal run: the windowing libraries load only when needed.
    LazyTicketeraUi ui(argc, argv);
    TFrmPrincipal form(platform::installationDirectory(), arguments, ui,
                       [](QString *error) { return platform::PrintSpooler::load(error); });
    if (form.FormCreate() == TFrmPrincipal::Outcome::ShowMainWindow)
        ui.runMainWindow();
    return 0;
}
