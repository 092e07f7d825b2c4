#pragma once
// A pane's InternalTarget offered as the InternalChannel its children talk through:
// a send runs the pane's handler now, a post runs it on the UI thread's next turn.
#include <QObject>
#include <QPointer>

#include "content/imc_codes.h"

namespace ledsuite {

class TargetChannel final : public InternalChannel {
public:
    // `context` is the pane's QObject: posts are dropped once it is gone.
    TargetChannel(InternalTarget* target, QObject* context) : target_(target), context_(context) {}
    intptr_t send(int code, intptr_t arg) override { return target_ ? target_->onInternal(code, arg) : 0; }
    void post(int code, intptr_t arg) override {
        if (!context_) return;
        InternalTarget* target = target_;
        QMetaObject::invokeMethod(context_, [target, code, arg] { target->onInternal(code, arg); },
                                  Qt::QueuedConnection);
    }

private:
    InternalTarget* target_;
    QPointer<QObject> context_;
};

}  // namespace ledsuite
