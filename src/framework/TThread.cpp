#include "TThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <exception>

TThread::TThread() = default;

TThread::~TThread() = default;

void TThread::Synchronize(const std::function<void()>& step)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread()) {
        step();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        application,
        [&step, &failure] {
            try {
                step();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}
