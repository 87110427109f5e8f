#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {

// A task as the new-task dialog hands it over.
struct NewTask
{
    int platform = -1;
    QString name;
    QString address;
    bool fetchImages = false;
    bool fetchComments = false;
    QString cookieFile;       // the user's cookie file, whose login the task uses; empty: none
    bool fromArchive = false; // the pages come from a web archive rather than the live site
    QString archiveDate;      // with fromArchive: the captures around this day, "YYYYMMDD"; empty: the newest
};

// The new-task dialog 新增 (Form2): the user picks the platform, types the name and, for three platforms,
// the address; the dialog builds the address of the others as the name is typed. It does not block the
// main window and is only hidden after use, so its fields keep their values.
class NewTaskDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NewTaskDialog)

public:
    // In automatic mode "新浪" is the only item and stands chosen; the fields keep their initial state.
    NewTaskDialog(bool automaticMode, QWidget* parent = nullptr);

    // The platform code of the chosen item, -1 when none is chosen.
    int platform() const;
    // Chooses the platform of a list item, as a click on it does.
    void choosePlatform(int index);

    // OK (确定): without a platform the user is told "请输入正确信息" and the dialog stays, as it does with
    // an archive day that is no day, before 1996 or after today; otherwise it hides and hands the task over.
    void accept() override;
    // Cancel (取消): the dialog hides, nothing else changes.
    void reject() override;

    // The cookie file the task will use (empty: none), as "使用登录Cookie…" chooses it and "不用" drops it.
    QString cookieFile() const { return m_cookieFile; }
    void setCookieFile(const QString& path);

Q_SIGNALS:
    // OK with a platform chosen; the dialog has hidden itself.
    void taskRequested(const Ui::NewTask& task);

private:
    void platformChosen();
    void nameEdited();
    void addressEdited();
    void chooseCookieFile();
    void sourceChosen();

    QComboBox* m_platform;  // Combo1
    QLineEdit* m_name;      // Text1
    QLineEdit* m_address;   // Text2
    QLabel* m_addressLabel; // Label2
    QLabel* m_hint;         // Label3
    QCheckBox* m_images;    // Check1
    QCheckBox* m_comments;  // Check2
    QLabel* m_cookieLabel;
    QPushButton* m_dropCookies;
    QComboBox* m_source;      // the live site or a web archive
    QLineEdit* m_archiveDate; // the day of the captures, YYYY-MM-DD; empty: the newest
    QString m_cookieFile;
};

} // namespace Ui

Q_DECLARE_METATYPE(Ui::NewTask)
