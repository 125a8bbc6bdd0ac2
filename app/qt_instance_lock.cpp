#include "qt_instance_lock.h"

#include <QDir>

namespace varnix::app {

QtInstanceLock::QtInstanceLock(const QString& name) : m_lock(QDir::temp().filePath(name))
{
    // A running copy holds its lock however long it runs; only a dead owner's lock is stale.
    m_lock.setStaleLockTime(0);
}

bool QtInstanceLock::acquire()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}

}  // namespace varnix::app
