// SPDX-License-Identifier: GPL-3.0-or-later
#include "mail/mail_message.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace halvoric::mail {
namespace {

constexpr std::time_t kSomeEvening = 1796678355;  // 2026-12-07 21:19:15 UTC

class MailMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
};

TEST_F(MailMessageTest, HeadersThenBlankLineThenBody) {
  const Result<std::string> mail =
      ComposeMail({"halvoric@localhost", "admin@example.org", "Halvoric Alert!",
                   "The current temperature is: 45"},
                  kSomeEvening);
  ASSERT_TRUE(mail.Ok()) << mail.Message;
  EXPECT_EQ(*mail,
            "Date: Mon, 07 Dec 2026 21:19:15 +0000\r\n"
            "From: <halvoric@localhost>\r\n"
            "To: <admin@example.org>\r\n"
            "Subject: Halvoric Alert!\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: 8bit\r\n"
            "\r\n"
            "The current temperature is: 45\r\n");
}

TEST_F(MailMessageTest, DateCarriesTheLocalOffset) {
  ::setenv("TZ", "XYZ-05:30", 1);
  ::tzset();
  EXPECT_EQ(MailDate(kSomeEvening), "Tue, 08 Dec 2026 02:49:15 +0530");
  ::setenv("TZ", "XYZ+03", 1);
  ::tzset();
  EXPECT_EQ(MailDate(kSomeEvening), "Mon, 07 Dec 2026 18:19:15 -0300");
}

struct BodyCase {
  const char* Body;
  const char* Sent;
};

TEST_F(MailMessageTest, EveryBodyLineEndsInCrlf) {
  const BodyCase cases[] = {
      {"", "\r\n"},
      {"one", "one\r\n"},
      {"one\ntwo\n", "one\r\ntwo\r\n"},
      {"one\r\ntwo", "one\r\ntwo\r\n"},
      {"one\rtwo\n\n", "one\r\ntwo\r\n\r\n"},
      {".\nleading dot", ".\r\nleading dot\r\n"},  // libcurl doubles the dot on the wire
  };
  for (const BodyCase& c : cases) {
    const Result<std::string> mail = ComposeMail({"a@b", "c@d", "s", c.Body}, kSomeEvening);
    ASSERT_TRUE(mail.Ok()) << mail.Message;
    const std::string body = mail->substr(mail->find("\r\n\r\n") + 4);
    EXPECT_EQ(body, c.Sent) << c.Body;
  }
}

TEST_F(MailMessageTest, NonAsciiSubjectIsAnEncodedWord) {
  const Result<std::string> mail = ComposeMail({"a@b", "c@d", "52\xC2\xB0", "x"}, kSomeEvening);
  ASSERT_TRUE(mail.Ok()) << mail.Message;
  EXPECT_NE(mail->find("\r\nSubject: =?UTF-8?B?NTLCsA==?=\r\n"), std::string::npos);
}

struct RefusedCase {
  MailMessage Message;
  const char* Error;
};

TEST_F(MailMessageTest, RefusesTextsThatCouldAddHeaders) {
  const RefusedCase cases[] = {
      {{"a@b\r\nBcc: x@y", "c@d", "s", ""}, "A mail address must not contain a line break."},
      {{"a@b", "c@d\nBcc: x@y", "s", ""}, "A mail address must not contain a line break."},
      {{"a@b", "c@d", "Alert\r\nBcc: x@y", ""}, "The subject must not contain a line break."},
      {{"a@b", "c@d", "Alert\r", ""}, "The subject must not contain a line break."},
      {{"a@b", "", "s", ""}, "The recipient address is empty."},
      {{"", "c@d", "s", ""}, "The sender address is empty."},
      // Of several faults, one is told, always the same.
      {{"", "", "s", ""}, "The recipient address is empty."},
      {{"a\nb", "", "s", ""}, "A mail address must not contain a line break."},
      {{"", "c\rd", "Alert\n", ""}, "The subject must not contain a line break."},
      // More than one mailbox would reach the server as ESMTP parameters.
      {{"a@b", "victim@example.org> NOTIFY=NEVER", "s", ""},
       "The recipient address \"victim@example.org> NOTIFY=NEVER\" is not a single mail address."},
      {{"a@b> SIZE=1", "c@d", "s", ""},
       "The sender address \"a@b> SIZE=1\" is not a single mail address."},
      {{"a@b", "c@d\x1b[2J", "s", ""},
       "The recipient address \"c@d?[2J\" is not a single mail address."},
      {{"a b", "c d", "s", ""}, "The recipient address \"c d\" is not a single mail address."},
  };
  for (const RefusedCase& c : cases) {
    const Result<std::string> mail = ComposeMail(c.Message, kSomeEvening);
    EXPECT_FALSE(mail.Ok()) << c.Message.Sender << c.Message.Recipient << c.Message.Subject;
    EXPECT_EQ(mail.Message, c.Error)
        << c.Message.Sender << c.Message.Recipient << c.Message.Subject;
  }
}

TEST(IsSingleMailbox, AcceptsOneMailboxOnly) {
  const struct {
    const char* Address;
    bool Single;
  } cases[] = {
      {"admin@example.org", true},
      {"first.last+disk@mail.example.org", true},
      {"halvoric@localhost", true},
      {"j\xC3\xBCrgen@example.org", true},  // UTF-8 is left to the server
      {"victim@example.org> NOTIFY=NEVER ORCPT=rfc822;x@y", false},
      {"a@b>", false},
      {"<a@b", false},
      {"a b@c", false},
      {"a@b\tc", false},
      {"a@b\x1b", false},
      {"a@b\x7f", false},
      {"a@b,c@d", false},
      {"admin", false},
      {"@example.org", false},
      {"admin@", false},
      {"a@b@c", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSingleMailbox(c.Address), c.Single) << c.Address;
}

TEST(TrimAddress, DropsBlanksAndTabsAroundOnly) {
  EXPECT_EQ(TrimAddress("  admin@example.org\t"), "admin@example.org");
  EXPECT_EQ(TrimAddress(" \t "), "");
  EXPECT_EQ(TrimAddress("a b@c"), "a b@c");
}

}  // namespace
}  // namespace halvoric::mail
