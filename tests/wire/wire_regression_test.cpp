// The wire readers keep the fuzz targets' properties on every seed of the
// fuzz corpus and on every input a fuzzer once broke them with.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cctype>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "wire_properties.h"

namespace {

namespace props = kdrsm::wire::properties;
using Check = QString (*)(const QString&);

// Each fuzz target's property check, by the target's corpus folder.
const std::map<QString, Check>& checksByTarget() {
    static const std::map<QString, Check> checks = {
        {QStringLiteral("fuzz_settings_reply"), &props::checkSettingsReply},
        {QStringLiteral("fuzz_request_text"), &props::checkRequestText},
        {QStringLiteral("fuzz_update_body"), &props::checkUpdateBody},
        {QStringLiteral("fuzz_numbers"), &props::checkNumbers},
    };
    return checks;
}

QString corpusDir() {
    return QStringLiteral(KDRSM_FUZZ_CORPUS_DIR);
}

QByteArray seedBytes(const QString& target, const QString& file) {
    QFile seed(corpusDir() + u'/' + target + u'/' + file);
    if (!seed.open(QIODevice::ReadOnly)) return {};
    return seed.readAll();
}

// ---------------------------------------------------------------------------
// Every seed of the corpus.

struct Seed {
    std::string name;
    QString target;
    QString file;
};

std::vector<Seed> corpusSeeds() {
    std::vector<Seed> seeds;
    for (const auto& [target, check] : checksByTarget()) {
        const QDir dir(corpusDir() + u'/' + target);
        for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
            std::string name = (target.mid(5) + u'_' + file).toStdString();
            for (char& c : name)
                if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
            seeds.push_back({name, target, file});
        }
    }
    return seeds;
}

void PrintTo(const Seed& seed, std::ostream* out) {
    *out << seed.name;
}

class CorpusSeed : public testing::TestWithParam<Seed> {};

TEST_P(CorpusSeed, KeepsTheTargetsProperties) {
    const Seed& seed = GetParam();
    const QString text = props::textFromInput(seedBytes(seed.target, seed.file));
    EXPECT_EQ(checksByTarget().at(seed.target)(text), QString());
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusSeed, testing::ValuesIn(corpusSeeds()),
                         [](const auto& info) { return info.param.name; });

TEST(CorpusSeeds, EveryTargetHasSeeds) {
    for (const auto& [target, check] : checksByTarget())
        EXPECT_FALSE(QDir(corpusDir() + u'/' + target).isEmpty()) << target.toStdString();
}

// The typical seeds are well formed, so their round trips are really run.
TEST(CorpusSeeds, TypicalSeedsParse) {
    const auto reply = kdrsm::wire::splitSettingsReply(
        QString::fromUtf8(seedBytes("fuzz_settings_reply", "typical_40_weapons")));
    EXPECT_EQ(reply.sectionCount, 4);
    EXPECT_EQ(reply.fields.size(), kdrsm::wire::kReplyFieldCount);
    EXPECT_EQ(reply.weapons.size(), 40);
    const auto body = kdrsm::wire::parseUpdateBody(
        QString::fromUtf8(seedBytes("fuzz_update_body", "typical_20_selected")));
    ASSERT_TRUE(body);
    EXPECT_EQ(body->encodedWeapons.size(), 20);
    EXPECT_TRUE(kdrsm::wire::parseRequestText(
        QString::fromUtf8(seedBytes("fuzz_request_text", "set_settings"))));
}

// ---------------------------------------------------------------------------
// Inputs that once broke a property.

struct Finding {
    const char* name;
    const char* target;
    QByteArray input;
};

void PrintTo(const Finding& finding, std::ostream* out) {
    *out << finding.name;
}

class FuzzFinding : public testing::TestWithParam<Finding> {};

TEST_P(FuzzFinding, NoLongerBreaksAProperty) {
    const Finding& f = GetParam();
    EXPECT_EQ(checksByTarget().at(QString::fromLatin1(f.target))(props::textFromInput(f.input)),
              QString());
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FuzzFinding,
                         testing::Values(
                             // The tag's end marker was looked for from the command's own "_", so
                             // a missing tag separator made the tag run to the end of the text.
                             Finding{"TagEndRightAfterCommand", "fuzz_request_text",
                                     "Plugin_jexKDRSM_GetSettinx_VB6_-2_data_1"}),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// How request texts near those findings read.

struct RequestCase {
    const char* name;
    QString text;
    bool parses;
    QString hostTag;
    qint32 profileIndex;
    QString data;
};

void PrintTo(const RequestCase& c, std::ostream* out) {
    *out << c.name;
}

class RequestReading : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestReading, ReadsOnlyWhatRequestTextWrites) {
    const RequestCase& c = GetParam();
    const auto request = kdrsm::wire::parseRequestText(c.text);
    ASSERT_EQ(request.has_value(), c.parses);
    if (!c.parses) return;
    EXPECT_EQ(request->hostTag, c.hostTag);
    EXPECT_EQ(request->profileIndex, c.profileIndex);
    EXPECT_EQ(request->data, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Wire, RequestReading,
    testing::Values(
        RequestCase{"EmptyTag", "Plugin_jexKDRSM_GetSettingsRem__VB6_0_", true, "", 0, ""},
        RequestCase{"NoTagSeparator", "Plugin_jexKDRSM_GetSettingsRem_VB6_0_", false, "", 0, ""},
        RequestCase{"LeadingZeroIndex", "Plugin_jexKDRSM_Get_t_VB6_03_x", false, "", 0, ""},
        RequestCase{"PlusSignIndex", "Plugin_jexKDRSM_Get_t_VB6_+3_x", false, "", 0, ""},
        RequestCase{"BlankBeforeIndex", "Plugin_jexKDRSM_Get_t_VB6_ 3_x", false, "", 0, ""},
        RequestCase{"NegativeZeroIndex", "Plugin_jexKDRSM_Get_t_VB6_-0_x", false, "", 0, ""},
        RequestCase{"IndexBeyond32Bits", "Plugin_jexKDRSM_Get_t_VB6_2147483648_x", false, "", 0,
                    ""},
        RequestCase{"LowestIndex", "Plugin_jexKDRSM_Get_t_VB6_-2147483648_x", true, "t",
                    std::numeric_limits<qint32>::min(), "x"},
        RequestCase{"TagWithMarkerBeforeIndex", "Plugin_jexKDRSM_Get_a_VB6_x_VB6_-2_data_1", true,
                    "a_VB6_x", -2, "data_1"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
