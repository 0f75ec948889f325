// Trimdeck on simulated pedal units: every feature can be tried without hardware.
//   trimdeck-demo [--units N] [--screenshot FILE]
// --screenshot renders the window to FILE (PNG) once the units have reported, then exits.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "MainForm.h"
#include "QtPrompts.h"
#include "device/virtual/VirtualHidPlatform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Trimdeck on simulated pedal units");
    parser.addHelpOption();
    const QCommandLineOption unitsOption("units", "Number of simulated units (1-8).", "N", "2");
    const QCommandLineOption shotOption("screenshot", "Render the window to FILE and exit.", "FILE");
    parser.addOption(unitsOption);
    parser.addOption(shotOption);
    parser.process(app);
    bool ok = false;
    const int units = parser.value(unitsOption).toInt(&ok);
    if (!ok || units < 1 || units > 8) {
        std::fprintf(stderr, "trimdeck-demo: --units takes a number from 1 to 8\n");
        return 2;
    }

    device::VirtualHidPlatform platform;
    for (int i = 0; i < units; ++i) {
        sim::SimulatedUnit::Options options;
        options.Identity.SerialNum = 0x2A + static_cast<std::uint32_t>(i);
        options.ChunkDelay = std::chrono::milliseconds(1);
        platform.AddUnit("/dev/virtual/hidraw" + std::to_string(i), options);
    }

    QtPrompts prompts;
    MainForm form(platform, prompts);
    prompts.SetOwner(&form);
    form.show();

    int result = 0;
    if (parser.isSet(shotOption)) {
        const QString file = parser.value(shotOption);
        QTimer::singleShot(1500, &form, [&] {
            if (!form.grab().save(file, "PNG")) {
                std::fprintf(stderr, "trimdeck-demo: cannot write %s\n", qPrintable(file));
                result = 1;
            }
            form.close();
        });
    }
    const int loop = app.exec();
    form.StopSignal();
    return result ? result : loop;
}
