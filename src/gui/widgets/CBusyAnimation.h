#pragma once
// The small busy animation beside the bars: a ring of dots that turns while a check runs and
// rests on its first frame otherwise.
#include <QTimer>
#include <QWidget>

class CBusyAnimation final : public QWidget
{
    Q_OBJECT
public:
    explicit CBusyAnimation(QWidget* parent = nullptr);

    // True loops the frames; false goes back to frame 0 and stops there.
    void Play(bool running);
    bool IsPlaying() const { return m_timer.isActive(); }
    int Frame() const { return m_nFrame; }
    QSize sizeHint() const override { return {20, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kFrames = 8;
    QTimer m_timer;
    int m_nFrame = 0;
};
