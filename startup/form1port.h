#pragma once

#include "platform/result.h"

#include <QString>

namespace quorvane {

// The few operations of the main window that start-up needs. The window is
// loaded at the first touch of one of them.
class Form1Port {
public:
    virtual ~Form1Port() = default;
    virtual platform::Status setSourceDrive(const QString &drive) = 0;    // Drive1
    virtual platform::Status setSourceDirectory(const QString &path) = 0; // Dir1
    virtual void setPatternText(const QString &text) = 0;                 // Text1
    virtual void show() = 0;                                              // modeless
};

} // namespace quorvane
