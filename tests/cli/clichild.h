#pragma once

#include "support/childrun.h"

namespace quorvane::testsupport {

// What quorvane-cli is started with: C: is /.
inline QProcessEnvironment cliEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUORVANE_DRIVES"), QString());
    return environment;
}

// quorvane-cli run to its end, under mechanism where one is given.
inline ChildRun runCli(const QStringList &arguments, const QStringList &mechanism = {})
{
    return runUnder(mechanism, {}, {}, QStringLiteral(QUORVANE_CLI), arguments, cliEnvironment());
}

} // namespace quorvane::testsupport
