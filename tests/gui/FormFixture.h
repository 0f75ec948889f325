// A MainForm on the virtual platform with scripted dialogs, and ways to wait for it.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "MainForm.h"
#include "device/virtual/VirtualHidPlatform.h"
#include "pedal/Codec.h"
#include "prompts/ScriptedPrompts.h"

class FormFixture : public ::testing::Test {
protected:
    void TearDown() override { form.reset(); }

    // A simulated unit plugged in under /dev/vhid<n>, paced gently so tests stay light.
    sim::SimulatedUnit& AddUnit(int n, std::uint16_t build = 18) {
        sim::SimulatedUnit::Options o;
        o.Identity.BuildNum = build;
        o.Identity.SerialNum = 0x2A + static_cast<std::uint32_t>(n);
        o.ValuesHz = 200;
        sim::SimulatedUnit& unit = platform.AddUnit(Path(n), o);
        units[n] = &unit;
        return unit;
    }
    static std::string Path(int n) { return "/dev/vhid" + std::to_string(n); }

    void Start() {
        form = std::make_unique<MainForm>(platform, prompts);
        form->show();
    }

    // Runs the event loop until `done` holds or `ms` pass.
    template <typename Pred>
    bool RunUntil(Pred done, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms) return done();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }
    void RunFor(int ms) {
        RunUntil([] { return false; }, ms);
    }

    // Started with the given units, each identified and its settings shown.
    bool StartAndSettle(int units) {
        Start();
        return RunUntil([&] {
            auto& list = form->global().HidDevList;
            if (static_cast<int>(list.size()) != units) return false;
            for (auto& d : list)
                if (d->BuildNum == 0) return false;
            return Received(0, pedal::CmdLoadConfig) > 0 && Values(0) > 0;
        });
    }

    device::HidDevice& Unit(int i) { return *form->global().HidDevList.at(static_cast<std::size_t>(i)); }
    device::HidDevice* Current() { return form->global().CurrentDevice; }

    // Reports with `code` that simulated unit `n` has received.
    std::vector<pedal::Report> ReceivedOf(int n, std::uint8_t code) {
        std::vector<pedal::Report> out;
        for (const auto& r : units.at(n)->ReceivedReports())
            if (r[1] == code) out.push_back(r);
        return out;
    }
    int Received(int n, std::uint8_t code) { return static_cast<int>(ReceivedOf(n, code).size()); }
    int Values(int i) {
        auto& list = form->global().HidDevList;
        return i < static_cast<int>(list.size()) && list[static_cast<std::size_t>(i)]->CheckRecvMessage();
    }
    // The `index`-th configuration unit `n` received, decoded.
    std::optional<pedal::Channel> SentConfig(int n, int index) {
        const auto all = ReceivedOf(n, pedal::CmdSendConfig);
        if (index < 0 || index >= static_cast<int>(all.size())) return std::nullopt;
        const auto& r = all[static_cast<std::size_t>(index)];
        pedal::Channel c(r[2]);
        pedal::Message m;
        std::copy(r.begin() + 1, r.end(), m.begin());
        pedal::ComFW_ProecessConfig(c, m);
        return c;
    }

    template <typename W>
    W* Find(const char* name) {
        W* w = form->findChild<W*>(name);
        if (!w && form->findChild<QWidget*>("tp_Product"))
            w = form->findChild<QWidget*>("tp_Product")->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    device::VirtualHidPlatform platform;
    std::map<int, sim::SimulatedUnit*> units;
    prompts::ScriptedPrompts prompts;
    std::unique_ptr<MainForm> form;
};
