// The plug-in loaded by class name and called by method name, as a host does.
#include <QJsonArray>
#include <QMetaProperty>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

#include "jex/components.h"
#include "jex/error.h"
#include "jex/latebound.h"
#include "support/temp_host.h"

namespace {

class PluginBoundaryTest : public ::testing::Test {
protected:
    jextest::TempHost host;  // the plug-in's host root while it runs here
    std::unique_ptr<QObject> plugin{jex::createObject(QStringLiteral("jexrcKDRSM.clsPlugin"))};
};

// Reads a field of the returned record through its meta-object only.
QVariant field(const QVariant& record, const char* name) {
    const QMetaObject* meta = record.metaType().metaObject();
    const int index = meta ? meta->indexOfProperty(name) : -1;
    return index < 0 ? QVariant() : meta->property(index).readOnGadget(record.constData());
}

TEST_F(PluginBoundaryTest, VersionTextIgnoresTheName) {
    for (const QString& name : {QString(), QStringLiteral("jexhost"), QStringLiteral("x y z")})
        EXPECT_EQ(jex::call(plugin.get(), "dllVersion", {name}).toString(), "1.1.8") << name.toStdString();
}

TEST_F(PluginBoundaryTest, RecordFieldsInDeclarationOrder) {
    const QVariant record = jex::call(plugin.get(), "GetData");
    const QMetaObject* meta = record.metaType().metaObject();
    ASSERT_NE(meta, nullptr);
    const QStringList expected = {
        "Name",     "File",             "Version",         "Author",        "Description",
        "Game",     "HasInterface",     "ProfileMenu",     "ServerMenu",    "MainMenu",
        "ProfileMenuItems", "ServerMenuItems", "MainMenuItems", "HelpFile", "MinRCVer",
        "MinWOBVer", "MinZTAVer",       "MinJEXVer",       "MinRCCVer"};
    QStringList actual;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        actual << QString::fromLatin1(meta->property(i).name());
    EXPECT_EQ(actual, expected);
}

struct FieldRow {
    const char* name;
    QVariant expected;
};

class RecordFieldTest : public PluginBoundaryTest, public ::testing::WithParamInterface<FieldRow> {};

TEST_P(RecordFieldTest, HasItsValue) {
    const QVariant value = field(jex::call(plugin.get(), "GetData"), GetParam().name);
    const QVariant& expected = GetParam().expected;
    if (expected.metaType().id() == QMetaType::Int)
        EXPECT_EQ(value.toInt(), expected.toInt());
    else
        EXPECT_EQ(value.toString(), expected.toString());
}

INSTANTIATE_TEST_SUITE_P(
    Descriptor, RecordFieldTest,
    ::testing::Values(FieldRow{"Name", "KDR Server Manager"}, FieldRow{"File", "jexrcKDRSM.dll"},
                      FieldRow{"Version", "1.1.8"},
                      FieldRow{"Description",
                               "This Plugin allows you to manage various settings on your KDR "
                               "Server."},
                      FieldRow{"HasInterface", -1}, FieldRow{"ProfileMenu", 0},
                      FieldRow{"ServerMenu", -1}, FieldRow{"MainMenu", 0},
                      FieldRow{"HelpFile", "jexrcKDRSM_help.chm"}, FieldRow{"MinRCVer", "1201"},
                      FieldRow{"MinWOBVer", "1004"}, FieldRow{"MinZTAVer", "1107"},
                      FieldRow{"MinJEXVer", "31001"}, FieldRow{"MinRCCVer", "3505"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginBoundaryTest, MenuItemsAreEmptyOrTwoElementLists) {
    const QVariant record = jex::call(plugin.get(), "GetData");
    EXPECT_FALSE(field(record, "ProfileMenuItems").isValid());
    EXPECT_FALSE(field(record, "MainMenuItems").isValid());
    const QVariant server = field(record, "ServerMenuItems");
    ASSERT_EQ(server.metaType(), QMetaType::fromType<QStringList>());
    EXPECT_EQ(server.toStringList(), (QStringList{"Server", ""}));
}

TEST_F(PluginBoundaryTest, GamesKeepTheirBlanks) {
    const QVariant games = field(jex::call(plugin.get(), "GetData"), "Game");
    ASSERT_EQ(games.metaType(), QMetaType::fromType<QStringList>());
    EXPECT_EQ(games.toStringList(),
              (QStringList{"Delta Force,  V1.5.0.5",
                           "Delta Force, NovaWorld Affiliate Server V1.5.0.11A"}));
}

TEST_F(PluginBoundaryTest, AuthorNamesNoPerson) {
    const QString author = field(jex::call(plugin.get(), "GetData"), "Author").toString();
    EXPECT_FALSE(author.isEmpty());
    EXPECT_TRUE(author.contains("team", Qt::CaseInsensitive));
}

TEST(PluginMetadata, CarriesTheTypeLibraryIdentifiers) {
    const QJsonObject meta = jex::componentMetadata(QStringLiteral("jexrcKDRSM.clsPlugin"));
    EXPECT_EQ(meta.value("libraryGuid").toString(), "{3B904A2F-C1A3-451C-B81C-53630BC122D1}");
    EXPECT_EQ(meta.value("version").toString(), "1.1.0.8");
    const QJsonObject cls = meta.value("classes").toArray().at(0).toObject();
    EXPECT_EQ(cls.value("guid").toString(), "{1B10BFB8-7022-4638-B8CF-9D838542F93D}");
    EXPECT_EQ(meta.value("interfaces").toArray().at(0).toObject().value("guid").toString(),
              "{3937BAE9-3B25-4FF4-8AB8-3F8F688B7A82}");
    EXPECT_EQ(meta.value("records").toArray().at(0).toObject().value("guid").toString(),
              "{C2E89E06-BBEC-4725-BEC0-C3D719B368C3}");
}

TEST(PluginCreation, UnknownClassRaises429) {
    try {
        jex::createObject(QStringLiteral("jexrcKDRSM.clsNothing"));
        FAIL() << "created an unknown class";
    } catch (const jex::Error& e) {
        EXPECT_EQ(e.number(), 429);
    }
}

}  // namespace
