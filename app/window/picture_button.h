// A push button showing a picture centred above its caption, at the
// picture's own size, as buttons with a graphical style do.
#pragma once

#include <QPushButton>

namespace rosterly {

class PictureButton final : public QPushButton {
    Q_OBJECT
public:
    // `pictureSize` is the size the icon is drawn at.
    PictureButton(const QString& caption, const QIcon& picture, QSize pictureSize, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize m_pictureSize;
};

}  // namespace rosterly
