#pragma once

#include <vector>

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace vortaxel::ui {

/// The busy animation `an`: plays an AVI clip over and over, centred in its rectangle. The clip's
/// background colour (its first frame's top-left pixel) shows the window through, as a transparent
/// animation control does.
class ClipPlayer : public QWidget {
    Q_OBJECT
public:
    explicit ClipPlayer(QWidget* parent = nullptr);

    /// Loads the clip at `path`; on any failure keeps no clip and returns false.
    bool Open(const QString& path);
    /// Plays the open clip endlessly; returns false when no clip is open.
    bool Play();
    void Stop();

    bool IsPlaying() const { return timer_.isActive(); }
    int FrameCount() const { return static_cast<int>(frames_.size()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Advance();

    std::vector<QImage> frames_;
    int current_ = 0;
    QTimer timer_;
};

} // namespace vortaxel::ui
