#pragma once

#include "platform/toolkit.h"

#include <QApplication>

#include <functional>

// Counts yields and runs an optional action inside each one, standing in for
// the user's events that a real yield would deliver.
class CountingToolkit : public quorvane::platform::Toolkit {
public:
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield(yields);
        QApplication::processEvents();
    }
    void setBusyCursor() override {}
    void setDefaultCursor() override {}
    int messageBox(const QString &, int, const QString &) override
    {
        ++messages;
        return quorvane::platform::AnswerOk;
    }
    QSize screenSizeTwips() const override { return screen; }

    int yields = 0;
    int messages = 0;
    QSize screen{19200, 14400};
    std::function<void(int)> onYield;
};
