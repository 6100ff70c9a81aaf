#pragma once
// The images of the check item tree and the property dialog, drawn from their SVG resources at
// the size they are shown in (no icon-engine plugin needed).
#include <QIcon>
#include <QPixmap>
#include <QString>

// State images of the tree nodes.
inline constexpr int kStateImageOff = 1;
inline constexpr int kStateImageOn = 2;
inline constexpr int kStateImageRoot = 7;
inline constexpr int kStateImageSize = 16;
// The unread animation: frames 0 to 7 of 7 x 7 pixels.
inline constexpr int kAnimationFrames = 8;
inline constexpr int kAnimationFrameSize = 7;
// The health mark after the name of a failing or silent item.
inline constexpr int kHealthMarkNone = 0;
inline constexpr int kHealthMarkFailing = 1;
inline constexpr int kHealthMarkSilent = 2;
inline constexpr int kHealthMarkSize = 12;

// ":/tree/<name>.svg" at size x size pixels; a null pixmap when there is no such image.
QPixmap TreeImage(const QString& name, int size);
QIcon TreeIcon(const QString& name);
QPixmap StateImage(int stateImage);
QPixmap AnimationFrame(int frame);
// Null for kHealthMarkNone.
QPixmap HealthMarkImage(int mark);
