#pragma once

#include "export/export_host.h"

#include <string>

#include <QPointer>
#include <QWidget>

namespace vortaxel::platform {

/// A modal message with one OK button. Injected so the window's tests can dismiss it at once.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    /// Returns when the user has dismissed the message.
    virtual void Show(const std::string& text, const std::string& title, keywords::MessageIcon icon) = 0;
};

/// QMessageBox. The text is shown as plain text, so a URL or path with markup in it is shown as typed.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr);

    void Show(const std::string& text, const std::string& title, keywords::MessageIcon icon) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace vortaxel::platform
