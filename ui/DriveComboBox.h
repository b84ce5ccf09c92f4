#pragma once

#include <QComboBox>

class TVolumes;

// The drive chooser: one line per volume with its picture. Every change of the selected line,
// by mouse or arrow keys, at once makes that line's volume the chooser's drive.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    TDriveComboBox(const TVolumes& volumes, QWidget* parent);

    // The root of the chosen volume; "" until one is chosen.
    const QString& Drive() const { return drive_; }
    // A volume other than the current one is stored, its line selected and Change raised; the
    // current one changes nothing.
    void SetDrive(const QString& root);

signals:
    void Change();

private:
    const TVolumes& volumes_;
    QString drive_;
};
