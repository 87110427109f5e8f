#include "model/layoutfiles.h"

#include "model/platformprofile.h"
#include "text/textfiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QStringDecoder>

#include <array>

namespace Model {

namespace {

constexpr char BuiltInFolder[] = ":/layouts/";

// What makes a description unusable: the field and what is wrong with it.
struct Refusal
{
    QString field;
    QString problem;
};

QString Field(const QString& path, const QString& key)
{
    return path.isEmpty() ? key : path + u'.' + key;
}

QString Item(const QString& path, qsizetype index)
{
    return path + u'[' + QString::number(index) + u']';
}

QJsonValue Need(const QJsonObject& object, const QString& path, const QString& key)
{
    if (!object.contains(key)) {
        throw Refusal{Field(path, key), QStringLiteral("缺少这一项")};
    }
    return object.value(key);
}

QJsonObject AsObject(const QJsonValue& value, const QString& field)
{
    if (!value.isObject()) {
        throw Refusal{field, QStringLiteral("应为一个对象 {…}")};
    }
    return value.toObject();
}

QJsonArray AsArray(const QJsonValue& value, const QString& field)
{
    if (!value.isArray()) {
        throw Refusal{field, QStringLiteral("应为一个列表 […]")};
    }
    return value.toArray();
}

// A text; an empty marker would be found at the start of every page.
QString AsText(const QJsonValue& value, const QString& field, bool mayBeEmpty = false)
{
    if (!value.isString()) {
        throw Refusal{field, QStringLiteral("应为文字")};
    }
    const QString text = value.toString();
    if (text.isEmpty() && !mayBeEmpty) {
        throw Refusal{field, QStringLiteral("是空的，与任何页面都相符")};
    }
    return text;
}

QString NeedText(const QJsonObject& object, const QString& path, const QString& key)
{
    return AsText(Need(object, path, key), Field(path, key));
}

QString OptionalText(const QJsonObject& object, const QString& path, const QString& key)
{
    return object.contains(key) ? AsText(object.value(key), Field(path, key)) : QString();
}

// A regular expression that compiles and does not match the empty text (a pattern that does matches
// anything anywhere); withGroup: its first group is what it reads.
QString Pattern(const QJsonObject& object, const QString& path, const QString& key, bool withGroup)
{
    const QString field = Field(path, key);
    const QString text = NeedText(object, path, key);
    const QRegularExpression pattern(text);
    if (!pattern.isValid()) {
        throw Refusal{field, QStringLiteral("正则表达式无法编译（第%1个字符：%2）")
                                 .arg(pattern.patternErrorOffset() + 1)
                                 .arg(pattern.errorString())};
    }
    if (pattern.match(QString()).hasMatch()) {
        throw Refusal{field, QStringLiteral("正则表达式与空文字相符，会与任何内容相符")};
    }
    if (withGroup && pattern.captureCount() < 1) {
        throw Refusal{field, QStringLiteral("正则表达式缺少读出地址的分组 (…)")};
    }
    return text;
}

Text::ElementRule Rule(const QJsonValue& value, const QString& field, bool withAttribute = false)
{
    const QJsonObject object = AsObject(value, field);
    Text::ElementRule rule;
    rule.tag = NeedText(object, field, QStringLiteral("tag"));
    if (withAttribute) {
        rule.attribute = NeedText(object, field, QStringLiteral("attribute"));
        rule.value = NeedText(object, field, QStringLiteral("value"));
    } else {
        rule.attribute = OptionalText(object, field, QStringLiteral("attribute"));
        rule.value = OptionalText(object, field, QStringLiteral("value"));
    }
    if (object.contains(QStringLiteral("word"))) {
        const QJsonValue word = object.value(QStringLiteral("word"));
        if (!word.isBool()) {
            throw Refusal{Field(field, QStringLiteral("word")), QStringLiteral("应为 true 或 false")};
        }
        rule.word = word.toBool();
    }
    return rule;
}

Text::ElementRule OptionalRule(const QJsonObject& object, const QString& path, const QString& key)
{
    return object.contains(key) ? Rule(object.value(key), Field(path, key)) : Text::ElementRule();
}

QList<Text::ElementRule> Rules(const QJsonObject& object, const QString& path, const QString& key)
{
    QList<Text::ElementRule> rules;
    if (!object.contains(key)) {
        return rules;
    }
    const QString field = Field(path, key);
    const QJsonArray items = AsArray(object.value(key), field);
    for (qsizetype i = 0; i < items.size(); ++i) {
        rules.append(Rule(items.at(i), Item(field, i)));
    }
    return rules;
}

RowLayout Rows(const QJsonValue& value, const QString& field)
{
    const QJsonObject object = AsObject(value, field);
    RowLayout rows;
    rows.scope = OptionalText(object, field, QStringLiteral("scope"));
    rows.link = Rule(Need(object, field, QStringLiteral("link")), Field(field, QStringLiteral("link")));
    rows.linkPattern = Pattern(object, field, QStringLiteral("linkPattern"), true);
    rows.title = OptionalRule(object, field, QStringLiteral("title"));
    rows.titleChrome = Rules(object, field, QStringLiteral("titleChrome"));
    rows.datePattern = Pattern(object, field, QStringLiteral("datePattern"), false);
    rows.dateIn = OptionalRule(object, field, QStringLiteral("dateIn"));
    rows.category = OptionalRule(object, field, QStringLiteral("category"));
    return rows;
}

// The parts a layout may have besides its name; the markers of any but the first are a later body.
void ReadLayout(const QJsonObject& layout, const QString& path, bool first, PlatformDescription& into,
                int platform)
{
    if (!first &&
        (layout.contains(QStringLiteral("bodyStart")) || layout.contains(QStringLiteral("bodyEnd")))) {
        BodyLayout body;
        body.start = NeedText(layout, path, QStringLiteral("bodyStart"));
        body.end = NeedText(layout, path, QStringLiteral("bodyEnd"));
        into.later.bodies.append(body);
    }
    if (layout.contains(QStringLiteral("bodyElement"))) {
        const QString field = Field(path, QStringLiteral("bodyElement"));
        const Text::ElementRule rule = Rule(layout.value(QStringLiteral("bodyElement")), field, true);
        BodyLayout body;
        body.kind = BodyLayout::Kind::Element;
        body.tag = rule.tag;
        body.attribute = rule.attribute;
        body.value = rule.value;
        into.later.bodies.append(body);
    }
    if (layout.contains(QStringLiteral("narrows"))) {
        const QString field = Field(path, QStringLiteral("narrows"));
        const QJsonObject narrows = AsObject(layout.value(QStringLiteral("narrows")), field);
        BodyLayout body;
        body.kind = BodyLayout::Kind::Narrows;
        body.start = NeedText(narrows, field, QStringLiteral("start"));
        body.end = NeedText(narrows, field, QStringLiteral("end"));
        into.later.bodies.append(body);
    }
    if (layout.contains(QStringLiteral("notices"))) {
        const QString field = Field(path, QStringLiteral("notices"));
        const QJsonArray notices = AsArray(layout.value(QStringLiteral("notices")), field);
        for (qsizetype i = 0; i < notices.size(); ++i) {
            into.later.notices.append(AsText(notices.at(i), Item(field, i)));
        }
    }
    if (layout.contains(QStringLiteral("article"))) {
        const QString field = Field(path, QStringLiteral("article"));
        const QJsonObject article = AsObject(layout.value(QStringLiteral("article")), field);
        ArticleLayout read;
        read.platform = platform;
        read.body = Rule(Need(article, field, QStringLiteral("body")), Field(field, QStringLiteral("body")));
        read.chrome = Rules(article, field, QStringLiteral("chrome"));
        read.title =
            Rule(Need(article, field, QStringLiteral("title")), Field(field, QStringLiteral("title")));
        into.articles.append(read);
    }
    if (layout.contains(QStringLiteral("rows"))) {
        const QString field = Field(path, QStringLiteral("rows"));
        const QJsonArray rows = AsArray(layout.value(QStringLiteral("rows")), field);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            into.rows.append(Rows(rows.at(i), Item(field, i)));
        }
    }
    if (layout.contains(QStringLiteral("categoryBlocks"))) {
        const QString field = Field(path, QStringLiteral("categoryBlocks"));
        const QJsonArray blocks = AsArray(layout.value(QStringLiteral("categoryBlocks")), field);
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            const QString itemField = Item(field, i);
            const QJsonObject block = AsObject(blocks.at(i), itemField);
            CategoryBlock read;
            read.block = Rule(Need(block, itemField, QStringLiteral("block")),
                              Field(itemField, QStringLiteral("block")), true);
            const QJsonValue articles = block.value(QStringLiteral("articles"));
            if (!articles.isUndefined() && !articles.isBool()) {
                throw Refusal{Field(itemField, QStringLiteral("articles")),
                              QStringLiteral("应为 true 或 false")};
            }
            read.articles = articles.toBool();
            into.categoryBlocks.append(read);
        }
        into.categoryLink = Pattern(layout, path, QStringLiteral("categoryLink"), false);
    }
}

PlatformDescription Description(const QJsonObject& top, int platform)
{
    PlatformDescription description;
    description.name = NeedText(top, {}, QStringLiteral("name"));
    description.charset = NeedText(top, {}, QStringLiteral("charset"));
    if (!QStringDecoder(description.charset.toLatin1().constData()).isValid()) {
        throw Refusal{QStringLiteral("charset"), QStringLiteral("不是已知的字符集")};
    }
    const QString layoutsField = QStringLiteral("layouts");
    const QJsonArray layouts = AsArray(Need(top, {}, layoutsField), layoutsField);
    if (layouts.isEmpty()) {
        throw Refusal{layoutsField, QStringLiteral("是空的，至少要有最初的版式")};
    }
    for (qsizetype i = 0; i < layouts.size(); ++i) {
        const QString path = Item(layoutsField, i);
        const QJsonObject layout = AsObject(layouts.at(i), path);
        description.layoutNames.append(NeedText(layout, path, QStringLiteral("name")));
        if (i == 0) {
            description.bodyStart = NeedText(layout, path, QStringLiteral("bodyStart"));
            description.bodyEnd = NeedText(layout, path, QStringLiteral("bodyEnd"));
            const QString field = Field(path, QStringLiteral("noArticle"));
            const QJsonArray marks = AsArray(Need(layout, path, QStringLiteral("noArticle")), field);
            if (marks.size() > 3) {
                throw Refusal{field, QStringLiteral("至多三项")};
            }
            for (qsizetype k = 0; k < marks.size(); ++k) {
                // An empty mark is none.
                description.noArticle[size_t(k)] = AsText(marks.at(k), Item(field, k), true);
            }
        }
        ReadLayout(layout, path, i == 0, description, platform);
    }
    return description;
}

QString Message(const QString& path, const LayoutReading& refused)
{
    const QString where =
        refused.field.isEmpty() ? QString() : QStringLiteral("字段 ") + refused.field + u'：';
    return QStringLiteral("版式文件 %1 未采用（%2%3），改用内置的版式")
        .arg(QDir::toNativeSeparators(path), where, refused.problem);
}

std::array<PlatformDescription, PlatformCount>& Installed()
{
    static std::array<PlatformDescription, PlatformCount> descriptions;
    return descriptions;
}

PlatformDescription BuiltIn(int platform)
{
    const QString path = QString::fromLatin1(BuiltInFolder) + LayoutFileName(platform);
    QFile file(path);
    const LayoutReading read =
        file.open(QIODevice::ReadOnly) ? ReadLayoutDescription(file.readAll(), platform) : LayoutReading();
    if (!read.description) {
        qFatal("the built-in layout %s is unusable: %s %s", qPrintable(path), qPrintable(read.field),
               qPrintable(read.problem));
    }
    PlatformDescription description = *read.description;
    description.source = path;
    return description;
}

bool& InstalledOnce()
{
    static bool installed = false;
    return installed;
}

} // namespace

QString LayoutFileName(int platform)
{
    static const std::array<const char*, PlatformCount> names{
        "sina",   "baidu", "hexun",     "netease", "sohu",        "ifeng",   "qzone",   "health39", "tianya",
        "yaolan", "csdn",  "chinaunix", "cersp",   "cersp-eblog", "cnblogs", "tianya2", "51cto"};
    return IsPlatformCode(platform) ? QString::fromLatin1(names[size_t(platform)]) + QStringLiteral(".json")
                                    : QString();
}

LayoutReading ReadLayoutDescription(const QByteArray& json, int platform)
{
    LayoutReading reading;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        reading.problem = QStringLiteral("不是有效的 JSON（第%1个字节：%2）")
                              .arg(error.offset + 1)
                              .arg(error.errorString());
        return reading;
    }
    if (!document.isObject()) {
        reading.problem = QStringLiteral("不是一个 JSON 对象 {…}");
        return reading;
    }
    try {
        reading.description = Description(document.object(), platform);
        reading.description->file = LayoutFileName(platform);
    } catch (const Refusal& refusal) {
        reading.field = refusal.field;
        reading.problem = refusal.problem;
    }
    return reading;
}

const PlatformDescription& LayoutDescription(int platform)
{
    static const PlatformDescription none;
    if (!IsPlatformCode(platform)) {
        return none;
    }
    if (!InstalledOnce()) {
        InstallLayouts(QString());
    }
    return Installed()[size_t(platform)];
}

QStringList InstallLayouts(const QString& programFolder)
{
    InstalledOnce() = true;
    QStringList refusals;
    const QDir folder(programFolder.isEmpty() ? QString()
                                              : Text::JoinPath(programFolder, QStringLiteral("layouts")));
    for (int platform = 0; platform < PlatformCount; ++platform) {
        PlatformDescription& description = Installed()[size_t(platform)];
        description = BuiltIn(platform);
        if (programFolder.isEmpty()) {
            continue;
        }
        const QString path = folder.filePath(LayoutFileName(platform));
        QFile file(path);
        if (!file.exists()) {
            continue;
        }
        LayoutReading read;
        if (!file.open(QIODevice::ReadOnly)) {
            read.problem = QStringLiteral("无法读取：") + file.errorString();
        } else {
            read = ReadLayoutDescription(file.readAll(), platform);
        }
        if (!read.description) {
            refusals.append(Message(path, read));
            continue;
        }
        description = *read.description;
        description.source = path;
    }
    return refusals;
}

QString LayoutListing()
{
    QString listing;
    for (int platform = 0; platform < PlatformCount; ++platform) {
        const PlatformDescription& description = LayoutDescription(platform);
        const bool builtIn = description.source.startsWith(QString::fromLatin1(BuiltInFolder));
        listing += QString::number(platform) + u' ' + description.name + QStringLiteral("（") +
                   description.file + QStringLiteral("）：") +
                   (builtIn ? QStringLiteral("内置") : QDir::toNativeSeparators(description.source)) + u'\n';
        for (qsizetype i = 0; i < description.layoutNames.size(); ++i) {
            listing += QStringLiteral("    ") + QString::number(i + 1) + QStringLiteral(". ") +
                       description.layoutNames.at(i) + u'\n';
        }
    }
    return listing;
}

} // namespace Model
