#include "clip_player.h"

#include "avi_clip.h"

#include <QFile>
#include <QPainter>

namespace vortaxel::ui {
namespace {

constexpr int kDefaultFrameMs = 100;
constexpr qint64 kMaxClipFileBytes = qint64{64} * 1024 * 1024;

std::vector<QImage> ToImages(const AviClip& clip) {
    std::vector<QImage> images;
    const std::uint32_t background = clip.frames.front().front();
    for (const auto& frame : clip.frames) {
        QImage image(clip.width, clip.height, QImage::Format_ARGB32);
        for (int y = 0; y < clip.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < clip.width; ++x) {
                const std::uint32_t pixel = frame[static_cast<std::size_t>(y) * static_cast<std::size_t>(clip.width) +
                                                  static_cast<std::size_t>(x)];
                line[x] = pixel == background ? qRgba(0, 0, 0, 0) : pixel;
            }
        }
        images.push_back(std::move(image));
    }
    return images;
}

} // namespace

ClipPlayer::ClipPlayer(QWidget* parent) : QWidget(parent) {
    connect(&timer_, &QTimer::timeout, this, &ClipPlayer::Advance);
}

bool ClipPlayer::Open(const QString& path) {
    Stop();
    frames_.clear();
    current_ = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxClipFileBytes) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    const AviReadResult result =
        ReadAviClip(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!result) {
        return false;
    }
    frames_ = ToImages(*result.clip);
    const auto interval = std::chrono::duration_cast<std::chrono::milliseconds>(result.clip->frameInterval).count();
    timer_.setInterval(interval > 0 ? static_cast<int>(interval) : kDefaultFrameMs);
    update();
    return true;
}

bool ClipPlayer::Play() {
    if (frames_.empty()) {
        return false;
    }
    timer_.start();
    return true;
}

void ClipPlayer::Stop() {
    timer_.stop();
}

void ClipPlayer::Advance() {
    current_ = (current_ + 1) % FrameCount();
    if (isVisible()) {
        update();
    }
}

void ClipPlayer::paintEvent(QPaintEvent* /*event*/) {
    if (frames_.empty()) {
        return;
    }
    const QImage& frame = frames_[static_cast<std::size_t>(current_)];
    QPainter painter(this);
    painter.drawImage((width() - frame.width()) / 2, (height() - frame.height()) / 2, frame);
}

} // namespace vortaxel::ui
