#pragma once

#include <functional>

class QWidget;

namespace vortaxel::platform::testing_support {

/// Once a modal widget shows, hands it to `answer`, which must close it. Polls the event loop for a
/// bounded time; a modal that never shows is simply never answered.
void AnswerNextModal(std::function<void(QWidget*)> answer);

} // namespace vortaxel::platform::testing_support
