#include "modal_answer.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace vortaxel::platform::testing_support {

void AnswerNextModal(std::function<void(QWidget*)> answer) {
    constexpr int kTries = 500;
    // Owned by the application object and deleted once it has answered or given up.
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries = 0, answer = std::move(answer)]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && ++tries < kTries) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (modal != nullptr) {
            answer(modal);
        }
    });
    timer->start();
}

} // namespace vortaxel::platform::testing_support
