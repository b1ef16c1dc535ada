#pragma once

#include "support/scriptedtoolkit.h"

#include <QCoreApplication>

#include <functional>

// The tests' toolkit: the scripted one, with a step that runs in every yield
// (to note where a walk stands, or to act as the user would meanwhile) and,
// when asked, the pending events a real yield would deliver.
class TestToolkit : public quorvane::platform::ScriptedToolkit {
public:
    void yield() override
    {
        if (onYield)
            onYield(yieldCount() + 1);
        ScriptedToolkit::yield();
        if (deliverEvents)
            QCoreApplication::processEvents();
    }

    std::function<void(int)> onYield; // with the yield's number, counting from 1
    bool deliverEvents = false;
};
