// Trimdeck on simulated pedal units: every feature can be tried without hardware.
//   trimdeck-demo [--units N] [--screenshot FILE]
//   trimdeck-demo --write-image FILE [BUILD]
// --screenshot renders the window to FILE (PNG) once the units have reported, then exits.
// --write-image writes a valid firmware image file holding build BUILD (default 18) and
// exits; "Firmware update" on a simulated unit then pulls it, and the unit comes back with
// that build.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "MainForm.h"
#include "QtPrompts.h"
#include "device/virtual/VirtualHidPlatform.h"
#include "firmware/FirmwareImage.h"

namespace {

// A demo image: 16 KiB of payload behind the header, so the transfer can be watched.
int WriteDemoImage(const std::string& file, const std::vector<std::string>& args) {
    unsigned long build = 18;
    bool ok = args.size() <= 1;
    if (ok && !args.empty()) {
        char* end = nullptr;
        build = std::strtoul(args.front().c_str(), &end, 10);
        ok = !args.front().empty() && *end == '\0' && build <= 0xFFFF;
    }
    if (!ok) {
        std::fprintf(stderr, "trimdeck-demo: --write-image FILE [BUILD], BUILD from 0 to 65535\n");
        return 2;
    }
    std::vector<std::uint8_t> payload(16 * 1024);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const auto bytes = firmware::MakeFirmwareFile(payload, static_cast<std::uint16_t>(build));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "trimdeck-demo: cannot write %s\n", file.c_str());
        return 1;
    }
    std::printf("%s: firmware image, build %lu, %zu bytes\n", file.c_str(), build, bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Writing an image needs no display.
    if (argc >= 3 && std::string(argv[1]) == "--write-image")
        return WriteDemoImage(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Trimdeck on simulated pedal units");
    parser.addHelpOption();
    const QCommandLineOption unitsOption("units", "Number of simulated units (1-8).", "N", "2");
    const QCommandLineOption shotOption("screenshot", "Render the window to FILE and exit.", "FILE");
    const QCommandLineOption imageOption(
        "write-image", "Write a valid firmware image file (build BUILD, default 18) and exit.",
        "FILE");
    parser.addOption(unitsOption);
    parser.addOption(shotOption);
    parser.addOption(imageOption);
    parser.addPositionalArgument("BUILD", "With --write-image: the build number the image holds.",
                                 "[BUILD]");
    parser.process(app);
    if (parser.isSet(imageOption)) {
        std::vector<std::string> args;
        for (const QString& a : parser.positionalArguments())
            args.push_back(a.toStdString());
        return WriteDemoImage(parser.value(imageOption).toStdString(), args);
    }
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

    QApplication::setFont(MainForm::WindowFont());
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
