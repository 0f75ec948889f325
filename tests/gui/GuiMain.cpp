// GUI tests run on Qt's offscreen platform unless another is asked for.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "MainForm.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setFont(MainForm::WindowFont());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
