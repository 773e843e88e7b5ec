// The plug-in loaded by class name and called by method name, as a host does.
#include <QJsonArray>
#include <QMetaProperty>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

#include "jex/components.h"
#include "jex/latebound.h"
#include "support/temp_host.h"

namespace {

class PluginBoundaryTest : public ::testing::Test {
protected:
    jextest::TempHost host;  // the plug-in's host root while it runs here
    std::unique_ptr<QObject> plugin{jex::createObject(QStringLiteral("jexrcKDRSM.clsPlugin"))};
    QVariant record() { return jex::call(plugin.get(), "GetData"); }
};

TEST_F(PluginBoundaryTest, VersionTextIgnoresTheName) {
    for (const QString& name : {QString(), QStringLiteral("jexhost"), QStringLiteral("x y z")})
        EXPECT_EQ(jex::call(plugin.get(), "dllVersion", {name}).toString(), "1.1.8")
            << name.toStdString();
}

// Every field read through the record's meta-object only, in declaration
// order: text, 16-bit Booleans (True = -1), lists, and Empty.
TEST_F(PluginBoundaryTest, RecordFieldsInOrderWithTheirValues) {
    const QVariant data = record();
    const QMetaObject* meta = data.metaType().metaObject();
    ASSERT_NE(meta, nullptr);
    const QStringList games = {"Delta Force,  V1.5.0.5",
                               "Delta Force, NovaWorld Affiliate Server V1.5.0.11A"};
    const QList<QPair<const char*, QVariant>> expected = {
        {"Name", "KDR Server Manager"},
        {"File", "jexrcKDRSM.dll"},
        {"Version", "1.1.8"},
        {"Author", "The jexrcKDRSM team"},
        {"Description", "This Plugin allows you to manage various settings on your KDR Server."},
        {"Game", games},
        {"HasInterface", QVariant::fromValue<qint16>(-1)},
        {"ProfileMenu", QVariant::fromValue<qint16>(0)},
        {"ServerMenu", QVariant::fromValue<qint16>(-1)},
        {"MainMenu", QVariant::fromValue<qint16>(0)},
        {"ProfileMenuItems", QVariant()},
        {"ServerMenuItems", QStringList{"Server", ""}},
        {"MainMenuItems", QVariant()},
        {"HelpFile", "jexrcKDRSM_help.chm"},
        {"MinRCVer", "1201"},
        {"MinWOBVer", "1004"},
        {"MinZTAVer", "1107"},
        {"MinJEXVer", "31001"},
        {"MinRCCVer", "3505"}};
    ASSERT_EQ(meta->propertyCount() - meta->propertyOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaProperty property = meta->property(meta->propertyOffset() + i);
        const auto& [name, value] = expected[i];
        EXPECT_STREQ(property.name(), name);
        const QVariant actual = property.readOnGadget(data.constData());
        EXPECT_EQ(actual.metaType(), value.metaType()) << name;  // Empty is not an empty list
        EXPECT_EQ(actual, value) << name;
    }
}

TEST(PluginMetadata, CarriesTheTypeLibraryIdentifiers) {
    const QJsonObject meta = jex::componentMetadata(QStringLiteral("jexrcKDRSM.clsPlugin"));
    EXPECT_EQ(meta.value("libraryGuid").toString(), "{3B904A2F-C1A3-451C-B81C-53630BC122D1}");
    EXPECT_EQ(meta.value("version").toString(), "1.1.0.8");
    EXPECT_EQ(meta.value("classes").toArray().at(0).toObject().value("guid").toString(),
              "{1B10BFB8-7022-4638-B8CF-9D838542F93D}");
    EXPECT_EQ(meta.value("interfaces").toArray().at(0).toObject().value("guid").toString(),
              "{3937BAE9-3B25-4FF4-8AB8-3F8F688B7A82}");
    EXPECT_EQ(meta.value("records").toArray().at(0).toObject().value("guid").toString(),
              "{C2E89E06-BBEC-4725-BEC0-C3D719B368C3}");
}

}  // namespace
