#include "ui/newtaskdialog.h"

#include "model/archivesource.h"
#include "model/platformprofile.h"
#include "text/safefilename.h"
#include "ui/platformchoices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace Ui {

namespace {

// Platforms whose name becomes a folder name as typed, since their address is typed apart.
bool NameIsFolderName(int code)
{
    return code == Model::Sina || code == Model::Ifeng || code == Model::CerspEblog;
}

// The item of the source choice that takes the pages from a web archive; the live site is item 0.
constexpr int ArchiveItem = 1;

// Puts text into a line edit that is being typed in, keeping the cursor where the user left it.
void ReplaceTyped(QLineEdit* edit, const QString& text)
{
    const int fromEnd = int(edit->text().size()) - edit->cursorPosition();
    edit->setText(text);
    edit->setCursorPosition(std::max(0, int(text.size()) - fromEnd));
}

} // namespace

NewTaskDialog::NewTaskDialog(bool automaticMode, QWidget* parent)
    : QDialog(parent), m_platform(new QComboBox(this)), m_name(new QLineEdit(this)),
      m_address(new QLineEdit(this)), m_addressLabel(new QLabel(QStringLiteral("地址"), this)),
      m_hint(new QLabel(this)), m_images(new QCheckBox(QStringLiteral("图片"), this)),
      m_comments(new QCheckBox(QStringLiteral("评论"), this)), m_cookieLabel(new QLabel(this)),
      m_dropCookies(new QPushButton(QStringLiteral("不用"), this)), m_source(new QComboBox(this)),
      m_archiveDate(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("新增"));
    setModal(false);

    m_platform->setObjectName(QStringLiteral("Combo1"));
    m_name->setObjectName(QStringLiteral("Text1"));
    m_address->setObjectName(QStringLiteral("Text2"));
    m_addressLabel->setObjectName(QStringLiteral("Label2"));
    m_hint->setObjectName(QStringLiteral("Label3"));
    m_images->setObjectName(QStringLiteral("Check1"));
    m_comments->setObjectName(QStringLiteral("Check2"));

    m_platform->setPlaceholderText(QStringLiteral("请选择"));
    if (automaticMode) {
        // Only the item is set; the fields keep their initial state, as no platform was clicked.
        m_platform->addItem(PlatformChoices()[Model::Sina].item);
        m_platform->setCurrentIndex(0);
    } else {
        for (const PlatformChoice& choice : PlatformChoices()) {
            m_platform->addItem(choice.item);
        }
        m_platform->setCurrentIndex(-1);
    }
    m_platform->setMaxVisibleItems(ChoiceCount);

    m_hint->setWordWrap(true);
    m_hint->setMinimumHeight(m_hint->fontMetrics().lineSpacing() * 3);
    m_hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_images->setChecked(true);

    auto* notice = new QLabel(QStringLiteral("请勿下载有版权文章与评论"), this);
    notice->setObjectName(QStringLiteral("Label5"));
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    // Enter acts as OK only in the name field.
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    auto* platformLabel = new QLabel(QStringLiteral("博客"), this);
    platformLabel->setObjectName(QStringLiteral("Label4"));
    auto* nameLabel = new QLabel(QStringLiteral("名称"), this);
    nameLabel->setObjectName(QStringLiteral("Label1"));
    grid->addWidget(platformLabel, 0, 0);
    grid->addWidget(m_platform, 0, 1);
    grid->addWidget(nameLabel, 1, 0);
    grid->addWidget(m_name, 1, 1);
    grid->addWidget(m_addressLabel, 2, 0);
    grid->addWidget(m_address, 2, 1);
    grid->addWidget(m_hint, 3, 0, 1, 2);
    auto* switches = new QHBoxLayout;
    switches->addWidget(m_images);
    switches->addWidget(m_comments);
    switches->addSpacing(12);
    switches->addWidget(notice);
    switches->addStretch();
    grid->addLayout(switches, 4, 0, 1, 2);
    // Where the pages come from, below the switches; a blog that is gone is read from a web archive.
    auto* sourceLabel = new QLabel(QStringLiteral("来源"), this);
    sourceLabel->setObjectName(QStringLiteral("SourceLabel"));
    m_source->setObjectName(QStringLiteral("Source"));
    m_source->addItem(QStringLiteral("网站"));
    m_source->addItem(QStringLiteral("网页存档（已关闭的博客）"));
    m_source->setToolTip(
        QStringLiteral("博客已关闭或看不到时，从网页存档（如 Wayback Machine）里保存的网页备份"));
    auto* dateLabel = new QLabel(QStringLiteral("存档日期"), this);
    dateLabel->setObjectName(QStringLiteral("ArchiveDateLabel"));
    m_archiveDate->setObjectName(QStringLiteral("ArchiveDate"));
    m_archiveDate->setPlaceholderText(QStringLiteral("YYYY-MM-DD，留空为最新"));
    m_archiveDate->setToolTip(QStringLiteral("博客在这一天前后的样子；留空则取最新的存档"));
    m_archiveDate->setMaxLength(10);
    // Wide enough to show the hint of the form whole.
    m_archiveDate->setMinimumWidth(
        m_archiveDate->fontMetrics().horizontalAdvance(m_archiveDate->placeholderText()) +
        3 * m_archiveDate->fontMetrics().averageCharWidth());
    m_archiveDate->setEnabled(false);
    auto* source = new QHBoxLayout;
    source->addWidget(m_source);
    source->addSpacing(12);
    source->addWidget(dateLabel);
    source->addWidget(m_archiveDate);
    source->addStretch();
    grid->addWidget(sourceLabel, 5, 0);
    grid->addLayout(source, 5, 1);
    // The login is chosen left of OK and Cancel, which stay where they are.
    auto* cookies = new QPushButton(QStringLiteral("使用登录Cookie…"), this);
    cookies->setObjectName(QStringLiteral("CookieButton"));
    cookies->setAutoDefault(false);
    cookies->setToolTip(
        QStringLiteral("选择从浏览器导出的 cookies.txt（Netscape 格式），用你的登录下载只有作者"
                       "能看的博文；选了它就不会退出登录新浪。Cookie 文件就是你的登录，请勿给别人"));
    m_cookieLabel->setObjectName(QStringLiteral("CookieLabel"));
    m_dropCookies->setObjectName(QStringLiteral("DropCookies"));
    m_dropCookies->setAutoDefault(false);
    m_dropCookies->setVisible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cookies);
    buttons->addWidget(m_cookieLabel);
    buttons->addWidget(m_dropCookies);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 6, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(440);

    connect(m_platform, &QComboBox::activated, this, &NewTaskDialog::platformChosen);
    connect(m_name, &QLineEdit::textChanged, this, &NewTaskDialog::nameEdited);
    connect(m_address, &QLineEdit::textChanged, this, &NewTaskDialog::addressEdited);
    connect(m_name, &QLineEdit::returnPressed, this, &NewTaskDialog::accept);
    connect(ok, &QPushButton::clicked, this, &NewTaskDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &NewTaskDialog::reject);
    connect(cookies, &QPushButton::clicked, this, &NewTaskDialog::chooseCookieFile);
    connect(m_dropCookies, &QPushButton::clicked, this, [this] { setCookieFile(QString()); });
    connect(m_source, &QComboBox::currentIndexChanged, this, &NewTaskDialog::sourceChosen);
}

void NewTaskDialog::sourceChosen()
{
    m_archiveDate->setEnabled(m_source->currentIndex() == ArchiveItem);
}

void NewTaskDialog::chooseCookieFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("使用登录Cookie"), QString(),
                                                      QStringLiteral("Cookie 文件 (*.txt);;所有文件 (*)"));
    if (!path.isEmpty()) {
        setCookieFile(path);
    }
}

void NewTaskDialog::setCookieFile(const QString& path)
{
    m_cookieFile = path;
    m_cookieLabel->setText(path.isEmpty() ? QString() : QFileInfo(path).fileName());
    m_cookieLabel->setToolTip(path);
    m_dropCookies->setVisible(!path.isEmpty());
}

int NewTaskDialog::platform() const
{
    return PlatformOfItem(m_platform->currentText());
}

void NewTaskDialog::choosePlatform(int index)
{
    m_platform->setCurrentIndex(index);
    platformChosen();
}

void NewTaskDialog::platformChosen()
{
    const int code = platform();
    if (code >= 0) {
        const PlatformChoice& choice = PlatformChoices()[size_t(code)];
        m_name->setEnabled(true);
        m_address->setEnabled(choice.typedAddress);
        // The example values are there to be overtyped. The address is built here too: two platforms
        // may share an example name, and setting the same name again changes nothing.
        m_name->setText(choice.exampleName);
        m_address->setText(choice.typedAddress ? choice.exampleAddress
                                               : GeneratedAddress(code, m_name->text()));
        m_hint->setText(QString(choice.hint).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QPalette palette = m_addressLabel->palette();
        palette.setColor(QPalette::WindowText,
                         choice.typedAddress ? QColor(255, 0, 0) : this->palette().color(QPalette::Dark));
        m_addressLabel->setPalette(palette);
        m_images->setEnabled(true);
        m_images->setChecked(true);
        switch (choice.comments) {
        case CommentSwitch::EnabledOn:
            m_comments->setEnabled(true);
            m_comments->setChecked(true);
            break;
        case CommentSwitch::DisabledKept:
            m_comments->setEnabled(false);
            break;
        case CommentSwitch::DisabledOff:
            m_comments->setEnabled(false);
            m_comments->setChecked(false);
            break;
        }
    }
    m_name->setFocus();
    m_name->selectAll();
}

void NewTaskDialog::nameEdited()
{
    const int code = platform();
    if (code < 0) {
        return;
    }
    if (NameIsFolderName(code)) {
        const QString safe = Text::SafeFileName(m_name->text());
        if (safe != m_name->text()) {
            ReplaceTyped(m_name, safe);
        }
    } else {
        m_address->setText(GeneratedAddress(code, m_name->text()));
    }
}

void NewTaskDialog::addressEdited()
{
    if (platform() != Model::CerspEblog) {
        return;
    }
    const QString address = EblogAddress(m_address->text());
    if (address != m_address->text()) {
        ReplaceTyped(m_address, address);
    }
}

void NewTaskDialog::accept()
{
    if (m_platform->currentIndex() < 0) {
        QMessageBox::information(this, QString(), QStringLiteral("请输入正确信息"));
        return;
    }
    const bool fromArchive = m_source->currentIndex() == ArchiveItem;
    QString archiveDate;
    if (fromArchive && !m_archiveDate->text().trimmed().isEmpty()) {
        const std::optional<QString> day = Model::ArchiveDay(m_archiveDate->text());
        const QString problem =
            day ? Model::ArchiveDayProblem(*day, QDate::currentDate())
                : QStringLiteral("存档日期请按 YYYY-MM-DD 填写（例如 2015-06-01），或留空取最新的存档");
        if (!problem.isEmpty()) {
            QMessageBox::information(this, QString(), problem);
            m_archiveDate->setFocus();
            m_archiveDate->selectAll();
            return;
        }
        archiveDate = *day;
    }
    hide();
    NewTask task;
    task.platform = m_platform->currentIndex();
    task.name = m_name->text();
    task.address = m_address->text();
    task.fetchImages = m_images->isChecked();
    // A disabled switch keeps its mark but does not apply: comments exist for Sina articles only.
    task.fetchComments = m_comments->isEnabled() && m_comments->isChecked();
    task.cookieFile = m_cookieFile;
    task.fromArchive = fromArchive;
    task.archiveDate = archiveDate;
    Q_EMIT taskRequested(task);
}

void NewTaskDialog::reject()
{
    hide();
}

} // namespace Ui
