#include "updater/manifest.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/model_printers.hpp"

namespace zentomi {
namespace {

const std::string REQUIRED =
    R"("version":"v1.2.0","name":"Zentomi","changelog":"Sửa lỗi","download_url":"https://u/z.zip")";

std::optional<OtaManifest> with_members(const std::string& members) {
  return parse_manifest("{" + REQUIRED + members + "}");
}

TEST(Manifest, ReadsEveryFieldInAnyOrderWithEscapesDecoded) {
  const auto manifest = parse_manifest(
      " \r\n\t{\"sha256\":\"AbC\",\"size_mb\":12.5,\"download_url\":\"https:\\/\\/u\\/z.zip\","
      "\"changelog\":\"a\\n\\\"b\\\"\\t\\u00e9\\ud83d\\ude00\\\\\",\"name\":\"\",\"version\":"
      "\"v2\",\"signature\":\"c2ln\"}\n ");
  const OtaManifest expected{"v2", "", "a\n\"b\"\té😀\\", "https://u/z.zip", 12.5f, "AbC", "c2ln"};
  EXPECT_EQ(manifest, expected);
}

TEST(Manifest, UnknownMembersAreSkippedWhateverTheyHold) {
  const std::string deep(100000, '[');
  for (const std::string& value : {
           std::string("1e400"),
           std::string(400, '9'),
           std::string("-0.5E-999"),
           std::string(R"("\ud800")"),
           std::string(R"("\udc00\ud800x")"),
           std::string(R"({"version":1,"a":[{},[],null,true,false,"\u12aB"]})"),
           deep + std::string(100000, ']'),
       }) {
    const auto manifest = with_members(",\"extra\":" + value);
    ASSERT_TRUE(manifest.has_value()) << value.substr(0, 60);
    EXPECT_EQ(manifest->version, "v1.2.0");
  }
  // Only a field given twice is refused: other members may repeat, like those of every document.
  EXPECT_TRUE(with_members(R"(,"x":1,"x":1)").has_value());
  EXPECT_TRUE(with_members(R"(,"x":1,"\u0078":"\ud800")").has_value());
  for (const std::string& broken : {
           std::string("01"),
           std::string("1."),
           std::string(".5"),
           std::string("+1"),
           std::string("1e"),
           std::string("NaN"),
           std::string("\"\\x\""),
           std::string("\"\\u12g4\""),
           std::string("\"a\tb\""),
           std::string("[1,]"),
           std::string("{\"a\" 1}"),
           std::string("{1:2}"),
           std::string("'x'"),
           std::string("tru"),
           deep + std::string(99999, ']'),
       }) {
    EXPECT_FALSE(with_members(",\"extra\":" + broken).has_value()) << broken.substr(0, 60);
  }
}

TEST(Manifest, SizeIsANumberReadAsTheNearestFloatAndDefaultsToZero) {
  EXPECT_EQ(with_members("")->size_mb, 0.0f);
  EXPECT_EQ(with_members(R"(,"size_mb":3)")->size_mb, 3.0f);
  EXPECT_EQ(with_members(R"(,"size_mb":-2)")->size_mb, -2.0f);
  EXPECT_EQ(with_members(R"(,"size_mb":0.1)")->size_mb, 0.1f);
  EXPECT_EQ(with_members(R"(,"size_mb":1.5e2)")->size_mb, 150.0f);
  EXPECT_EQ(with_members(R"(,"size_mb":16777217)")->size_mb, 16777216.0f);
  EXPECT_TRUE(std::isinf(with_members(R"(,"size_mb":1e39)")->size_mb));
  for (const char* bad : {R"(,"size_mb":null)", R"(,"size_mb":"3")", R"(,"size_mb":[3])",
                          R"(,"size_mb":1.)", R"(,"size_mb":true)"}) {
    EXPECT_FALSE(with_members(bad).has_value()) << bad;
  }
}

TEST(Manifest, ChecksumAndSignatureAreStringsOrNull) {
  EXPECT_EQ(with_members("")->sha256, std::nullopt);
  EXPECT_EQ(with_members(R"(,"sha256":null)")->sha256, std::nullopt);
  EXPECT_EQ(with_members(R"(,"sha256":"")")->sha256, "");
  EXPECT_EQ(with_members(R"(,"signature":null)")->signature, std::nullopt);
  EXPECT_EQ(with_members(R"(,"signature":"c2ln")")->signature, "c2ln");
  for (const char* bad : {R"(,"sha256":12)", R"(,"sha256":false)", R"(,"sha256":{})",
                          R"(,"signature":1)", R"(,"signature":["s"])"}) {
    EXPECT_FALSE(with_members(bad).has_value()) << bad;
  }
}

TEST(Manifest, SiteOriginIsOptionalTextAndNeverInvalidatesTheManifest) {
  EXPECT_EQ(with_members("")->site_origin, std::nullopt);
  EXPECT_EQ(with_members(R"(,"site_origin":"https://a.test")")->site_origin, "https://a.test");
  // Checked where it is used: whatever else it holds reads as "", which no check accepts.
  for (const char* other :
       {R"(,"site_origin":null)", R"(,"site_origin":7)", R"(,"site_origin":{"a":[1]})"})
    EXPECT_EQ(with_members(other)->site_origin, "") << other;
}

TEST(Manifest, RequiredStringsDuplicatesAndTheDocumentsFrame) {
  for (const char* missing : {"version", "name", "changelog", "download_url"}) {
    std::string members = REQUIRED;
    const std::size_t at = members.find(std::string("\"") + missing + "\"");
    const std::size_t end = members.find(',', at);
    members.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
    if (members.ends_with(',')) members.pop_back();
    EXPECT_FALSE(parse_manifest("{" + members + "}").has_value()) << missing;
    EXPECT_FALSE(parse_manifest("{" + members + ",\"" + missing + "\":null}").has_value());
    EXPECT_FALSE(parse_manifest("{" + members + ",\"" + missing + "\":7}").has_value());
    EXPECT_FALSE(parse_manifest("{" + members + ",\"" + missing + "\":\"\\udc00\"}").has_value());
    EXPECT_TRUE(parse_manifest("{" + members + ",\"" + missing + "\":\"\"}").has_value());
  }
  for (const std::string& bad : {
           std::string(),
           std::string(" \n"),
           std::string("{}"),
           "{" + REQUIRED + ",\"name\":\"again\"}",
           "{" + REQUIRED + ",\"\\u0076ersion\":\"1\"}",
           "{" + REQUIRED + ",}",
           "{" + REQUIRED + "} x",
           "{" + REQUIRED + "}{}",
           "{" + REQUIRED,
           "\xEF\xBB\xBF{" + REQUIRED + "}",
           "{" + REQUIRED + "}\f",
           std::string("\"text\""),
           std::string("<html><body>Not Found</body></html>"),
       }) {
    EXPECT_FALSE(parse_manifest(bad).has_value()) << bad;
  }
}

TEST(Manifest, ArrayFormHoldsFourToSixValuesInFieldOrder) {
  const std::string four = R"("1.0.2","n","c","https://u")";
  EXPECT_EQ(parse_manifest("[" + four + "]"),
            (OtaManifest{"1.0.2", "n", "c", "https://u", 0.0f, std::nullopt}));
  EXPECT_EQ(parse_manifest("[" + four + ",2.5]"),
            (OtaManifest{"1.0.2", "n", "c", "https://u", 2.5f, std::nullopt}));
  EXPECT_EQ(parse_manifest(" [ " + four + " , 2.5 , \"ff\" ] "),
            (OtaManifest{"1.0.2", "n", "c", "https://u", 2.5f, "ff"}));
  EXPECT_EQ(parse_manifest("[" + four + ",1,null]"),
            (OtaManifest{"1.0.2", "n", "c", "https://u", 1.0f, std::nullopt}));
  for (const std::string& bad : {
           std::string("[]"),
           std::string(R"(["1.0.2","n","c"])"),
           "[" + four + ",1,null,\"sig\"]",
           "[" + four + ",null]",
           "[" + four + ",\"1\"]",
           "[" + four + ",1,2]",
           std::string(R"(["1.0.2","n",3,"https://u"])"),
           "[" + four + ",]",
       }) {
    EXPECT_FALSE(parse_manifest(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace zentomi
