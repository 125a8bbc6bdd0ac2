// The second-copy check of the program: a lock file in the temporary folder, held for as long
// as this object lives. A lock left behind by a crashed copy is taken over, since its process
// no longer exists.
#pragma once

#include "core/session/startup.h"

#include <QLockFile>
#include <QString>

namespace varnix::app {

class QtInstanceLock final : public InstanceLock {
public:
    // The lock file's name in the temporary folder.
    explicit QtInstanceLock(const QString& name = QStringLiteral("varnix.lock"));
    bool acquire() override;

private:
    QLockFile m_lock;
};

}  // namespace varnix::app
