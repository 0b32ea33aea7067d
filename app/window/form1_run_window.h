// Form1 as the harvest run sees it: its fields, options, status line and lock.
#pragma once

#include "harvest_window.h"

namespace rosterly {

class Form1;

class Form1RunWindow final : public HarvestWindow {
public:
    // `form` must outlive this object.
    explicit Form1RunWindow(Form1& form) : m_form(form) {}

    HarvestOptions options() const override;

    void setStatus(const QString& text) override;
    void yield() override;
    bool closing() const override;
    void enableSSTab1() override;

private:
    Form1& m_form;
};

}  // namespace rosterly
