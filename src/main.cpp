// Trimdeck: the pedal units on this machine's HID devices (hidraw + udev).
#include <QApplication>
#include <cstdio>

#include "MainForm.h"
#include "QtPrompts.h"
#include "device/linux/LinuxHidPlatform.h"
#include "pedal/Trace.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // the command line is not used
    pedal::SetTraceSink([](std::string_view line) {
        qDebug("%.*s", static_cast<int>(line.size()), line.data());
    });
    auto platform = device::LinuxHidPlatform::Create();
    if (!platform) {
        std::fprintf(stderr, "trimdeck: cannot reach the system's device manager (libudev)\n");
        return 1;
    }
    QApplication::setFont(MainForm::WindowFont());
    QtPrompts prompts;
    MainForm form(*platform, prompts);
    prompts.SetOwner(&form);
    form.show();
    const int result = app.exec();
    form.StopSignal();  // every unit's I/O thread says goodbye; the form's end waits for them
    return result;
}
