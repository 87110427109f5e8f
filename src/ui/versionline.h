#pragma once

#include <QLabel>

namespace Ui {

// The version line Label3: "版本:" and the version after start-up; a click on it is reported.
class VersionLine final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VersionLine)

public:
    explicit VersionLine(QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The text of the About box, its lines joined by CR: the product, its maker, the contact number, the
// maker's site and the request for feedback.
QString AboutText();

} // namespace Ui
