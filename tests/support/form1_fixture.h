// A Form1 on fake services under the offscreen platform, with helper verbs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "../fakes/fake_control_factory.h"
#include "../fakes/recording_common_dialog.h"
#include "../fakes/recording_message_boxes.h"
#include "qt_print.h"
#include "window/form1.h"

namespace rosterly {

// One application for the whole test program, never destroyed, so no widget
// outlives it.
inline QApplication& testApplication() {
    static int argc = 1;
    static char name[] = "rosterly_test";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    return *application;
}

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication();
        Form1::Creation creation = Form1::create({messageBoxes, dialog, factory});
        ASSERT_TRUE(creation.form) << creation.failure.toStdString();
        form = std::move(creation.form);
        form->show();
    }

    // Ticks or unticks a box the way a user click does.
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void tick(QCheckBox* box) {
        if (!box->isChecked()) click(box);
        ASSERT_TRUE(box->isChecked());
    }
    void showPage(int index) { form->SSTab1->setCurrentIndex(index); }
    void setUrlText(const QString& text) { form->txtURL->setText(text); }

    RecordingMessageBoxes messageBoxes;
    RecordingCommonDialog dialog;
    FakeControlFactory factory;
    std::unique_ptr<Form1> form;
};

}  // namespace rosterly
