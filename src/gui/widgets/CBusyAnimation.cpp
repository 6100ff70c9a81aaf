#include "gui/widgets/CBusyAnimation.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace {
constexpr int kFrameMs = 110;
}

CBusyAnimation::CBusyAnimation(QWidget* parent) : QWidget(parent)
{
    setFixedSize(20, 24);
    setAccessibleName(tr("检查动画"));
    m_timer.setInterval(kFrameMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_nFrame = (m_nFrame + 1) % kFrames;
        update();
    });
}

void CBusyAnimation::Play(bool running)
{
    if (running) {
        m_timer.start();
    } else {
        m_timer.stop();
        m_nFrame = 0;
    }
    setAccessibleDescription(running ? tr("正在检查") : QString());
    update();
}

void CBusyAnimation::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = 6.5;
    for (int i = 0; i < kFrames; ++i) {
        const double angle = 2 * std::numbers::pi * i / kFrames - std::numbers::pi / 2;
        // The dot of the current frame is darkest; the others fade behind it.
        const int age = (m_nFrame - i + kFrames) % kFrames;
        QColor colour(0x2a, 0x6f, 0xb8);
        colour.setAlphaF(IsPlaying() ? 1.0 - age * 0.11 : 0.35);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(centre + QPointF(radius * std::cos(angle), radius * std::sin(angle)), 1.8, 1.8);
    }
}
