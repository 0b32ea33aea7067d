#include "picture_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace rosterly {

PictureButton::PictureButton(const QString& caption, const QIcon& picture, QSize pictureSize,
                             QWidget* parent)
    : QPushButton(caption, parent), m_pictureSize(pictureSize) {
    setIcon(picture);
    setIconSize(pictureSize);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The style draws the frame and focus; picture and caption are ours, so
    // the picture sits above the caption instead of beside it.
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    const bool down = isDown() || isChecked();
    const int shift =
        down ? style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this) : 0;
    const int captionHeight = fontMetrics().height();
    const int top = qMax(2, (height() - m_pictureSize.height() - captionHeight) / 2) + shift;
    const QRect pictureRect(QPoint((width() - m_pictureSize.width()) / 2 + shift, top),
                            m_pictureSize);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    icon().paint(&painter, pictureRect, Qt::AlignCenter, mode);

    const QRect captionRect(shift, pictureRect.bottom() + 1, width(), captionHeight);
    int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this))
        flags |= Qt::TextHideMnemonic;
    painter.drawItemText(captionRect, flags, palette(), isEnabled(), text(), QPalette::ButtonText);
}

}  // namespace rosterly
