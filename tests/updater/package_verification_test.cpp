#include "updater/package_verification.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/files.hpp"
#include "support/temp_dir.hpp"
#include "updater/signing_key.hpp"

namespace zentomi {
namespace {

using testing::SigningKey;
using testing::TempDir;

const std::string MISMATCH = "Update package checksum mismatch";
const std::string SIGNATURE_INVALID = "Update package signature invalid";
// SHA-256 of "abc", the standard's own example.
const std::string ABC_SHA256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

OtaManifest manifest_for(std::optional<std::string> sha256,
                         std::optional<std::string> signature = std::nullopt) {
  return {"v1.2.0", "Z", "C", "https://u/z.zip", 1.0f, std::move(sha256), std::move(signature)};
}

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

TEST(PackageVerification, DigestOfRegularFilesOnly) {
  TempDir dir;
  PosixFileSystem files;
  testing::write_file(dir / "abc", "abc");
  EXPECT_EQ(file_sha256_hex(files, dir / "abc"), ABC_SHA256);
  testing::write_file(dir / "big", std::string(200000, 'x') + "abc");
  EXPECT_NE(file_sha256_hex(files, dir / "big"), file_sha256_hex(files, dir / "abc"));
  EXPECT_EQ(file_sha256_hex(files, dir.path()), std::nullopt);
  EXPECT_EQ(file_sha256_hex(files, dir / "missing"), std::nullopt);
}

TEST(PackageVerification, TheManifestsChecksumMustMatchIgnoringCase) {
  TempDir dir;
  PosixFileSystem files;
  testing::write_file(dir / "package.zip", "abc");
  EXPECT_EQ(verify_package(files, manifest_for(upper(ABC_SHA256)), dir / "package.zip", ""),
            std::nullopt);
  std::string other = ABC_SHA256;
  other.back() = 'e';
  EXPECT_EQ(verify_package(files, manifest_for(other), dir / "package.zip", ""), MISMATCH);
  EXPECT_EQ(verify_package(files, manifest_for(""), dir / "package.zip", ""), MISMATCH);
  EXPECT_EQ(verify_package(files, manifest_for(ABC_SHA256), dir / "missing.zip", ""), MISMATCH);
  // Without a checksum or a pinned key nothing is checked.
  EXPECT_EQ(verify_package(files, manifest_for(std::nullopt), dir / "missing.zip", ""),
            std::nullopt);
}

TEST(PackageVerification, APinnedKeyNeedsAValidSignatureOfVersionAndDigest) {
  TempDir dir;
  PosixFileSystem files;
  testing::write_file(dir / "package.zip", "abc");
  const SigningKey key;
  const SigningKey other_key;
  const std::string pinned = key.public_key_base64();
  ASSERT_EQ(pinned.size(), 44u);
  const std::string signature = key.sign_base64("zentomi-update\nv1.2.0\n" + ABC_SHA256);
  EXPECT_TRUE(is_valid_update_signature(pinned, signature, "v1.2.0", ABC_SHA256));

  EXPECT_EQ(
      verify_package(files, manifest_for(std::nullopt, signature), dir / "package.zip", pinned),
      std::nullopt);
  EXPECT_EQ(verify_package(files, manifest_for(ABC_SHA256, signature), dir / "package.zip", pinned),
            std::nullopt);
  // The signature covers the digest, so another package is refused even with a matching
  // checksum in the manifest.
  testing::write_file(dir / "other.zip", "abd");
  EXPECT_EQ(verify_package(files, manifest_for(std::nullopt, signature), dir / "other.zip", pinned),
            SIGNATURE_INVALID);
  for (const OtaManifest& refused : {
           manifest_for(std::nullopt),
           manifest_for(std::nullopt, ""),
           manifest_for(std::nullopt, "not base64!"),
           manifest_for(std::nullopt,
                        other_key.sign_base64("zentomi-update\nv1.2.0\n" + ABC_SHA256)),
           manifest_for(std::nullopt, key.sign_base64("zentomi-update\nv1.2.1\n" + ABC_SHA256)),
           manifest_for(std::nullopt,
                        key.sign_base64("zentomi-update\nv1.2.0\n" + upper(ABC_SHA256))),
           manifest_for(std::nullopt, signature.substr(4)),
       }) {
    EXPECT_EQ(verify_package(files, refused, dir / "package.zip", pinned), SIGNATURE_INVALID)
        << refused.signature.value_or("(none)");
  }
  EXPECT_EQ(verify_package(files, manifest_for(std::nullopt, signature), dir / "package.zip",
                           other_key.public_key_base64()),
            SIGNATURE_INVALID);
  EXPECT_EQ(
      verify_package(files, manifest_for(std::nullopt, signature), dir / "package.zip", "AAAA"),
      SIGNATURE_INVALID);
  EXPECT_EQ(
      verify_package(files, manifest_for(std::nullopt, signature), dir / "missing.zip", pinned),
      SIGNATURE_INVALID);
}

}  // namespace
}  // namespace zentomi
