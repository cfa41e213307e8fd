// The program's start-up sequence as main() runs it, with the time at the
// end of each step written to standard output ("<step> <ms>"), so that the
// start-up figure can be taken apart. Keep it in step with src/app/main.cpp.
// With a file name as argument it also saves the window as painted (PNG).
#include "app/AppForms.h"
#include "app/LeanStyle.h"
#include "app/SingleInstance.h"
#include "app/TMainForm.h"
#include "app/ToolkitTexts.h"
#include "controls/BakedIcon.h"
#include "core/CNumericLocale.h"
#include "data/TDM1.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {
QElapsedTimer g_clock;
void mark(const char *step) {
    std::printf("%s %.3f\n", step, g_clock.nsecsElapsed() / 1e6);
}
} // namespace

int main(int argc, char *argv[]) {
    g_clock.start();
    QApplication app(argc, argv);
    CNumericLocale::setForProcess();
    QApplication::setStyle(new LeanStyle);
    QApplication::setApplicationName(QStringLiteral("orvet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Путевые листы"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.orvet.Orvet"));
    QApplication::setWindowIcon(BakedIcon::icon(QStringLiteral("orvet")));
    ToolkitTexts::install();
    mark("application");
    SingleInstance instance(QFileInfo(IniFile::defaultPath()).absolutePath());
    if (instance.claim() != SingleInstance::Claim::Only)
        return 1;
    mark("one_copy");

    TMainForm mainForm;
    mark("main_window");
    TDM1 dm;
    mark("data_module");
    AppForms forms(dm, &mainForm);
    mark("dialogs");
    mainForm.setDataModule(&dm);
    mark("lists_bound");
    mainForm.show();
    mark("shown");
    const QString picture = QApplication::arguments().value(1);
    QTimer::singleShot(0, &app, [&mainForm, &instance, picture] {
        QCoreApplication::processEvents();
        mark("painted");
        if (!picture.isEmpty())
            mainForm.grab().save(picture);
        instance.release();
        std::fflush(stdout);
        std::_Exit(0);
    });
    return app.exec();
}
