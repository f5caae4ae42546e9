#include "digesterror.h"
#include "logindigest.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

namespace {

TEST(LoginDigest, KnownVectorsInLowerCaseHex)
{
    EXPECT_EQ(calcularHash(QStringLiteral("abc"), 1), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(calcularHash(QStringLiteral("abc"), 0), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(calcularHash(QString(), 1), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    // The bytes digested are the code page's: "ñ" is the single byte F1, and a character outside
    // the code page is "?".
    EXPECT_EQ(calcularHash(QStringLiteral("ñ"), 1), "07b7255eacbc81c051445ebe4f8c74fc8892dd3e");
    EXPECT_EQ(calcularHash(QStringLiteral("caja\u4E00"), 1), calcularHash(QStringLiteral("caja?"), 1));
}

// A library whose configuration leaves the algorithm out (no provider matches): the failure
// travels to the caller instead of an empty signature.
TEST(LoginDigest, ARefusedDigestRaisesInsteadOfSigningEmpty)
{
    ASSERT_EQ(EVP_set_default_properties(nullptr, "provider=ninguno"), 1);
    for (const unsigned char selector : {1, 0})
        EXPECT_THROW(calcularHash(QStringLiteral("abc"), selector), DigestError) << int(selector);
    ASSERT_EQ(EVP_set_default_properties(nullptr, ""), 1);
    EXPECT_EQ(calcularHash(QStringLiteral("abc"), 1), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

} // namespace
