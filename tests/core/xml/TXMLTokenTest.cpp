#include "core/xml/TXMLToken.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/xml/XMLTestHelpers.h"
#include "tests/support/TempDir.h"

namespace {

std::string Describe(const TXMLToken& t) {
  const std::string at = " " + std::to_string(t.GetLine()) + ":" + std::to_string(t.GetColumn());
  switch (t.GetKind()) {
    case xmlTokenAttr:
      return "Text '" + t.GetText() + "'" + at;
    case xmlTokenBegin:
      return "Begin " + t.GetName() + at;
    case xmlTokenEnd:
      return "End " + t.GetName() + at;
    case xmlTokenEmpty:
      return "Empty " + t.GetName() + at;
    case xmlTokenEof:
      return "Eof" + at;
    default:
      return "unexpected kind";
  }
}

// The tokens behind the head of a file read without error.
std::vector<std::string> LexBytes(const std::string& bytes) {
  std::string version;
  auto head = TXMLToken::FromBytes(bytes, version);
  EXPECT_EQ(head->GetKind(), xmlTokenStart);
  std::vector<std::string> tokens;
  for (const TXMLToken* t = head->GetNext(); t != nullptr; t = t->GetNext()) {
    tokens.push_back(Describe(*t));
  }
  return tokens;
}
std::vector<std::string> Lex(const std::string& body) { return LexBytes(WithHeader(body)); }

// The message of a file with a lexical error, which leaves the head alone in its list.
std::string LexError(const std::string& body) {
  std::string version;
  auto head = TXMLToken::FromBytes(WithHeader(body), version);
  EXPECT_EQ(head->GetKind(), xmlTokenError) << body;
  EXPECT_EQ(head->GetNext(), nullptr);
  return head->GetKind() == xmlTokenError ? head->GetErrorMessage() : "";
}

std::string VersionOf(const std::string& body) {
  std::string version = "unchanged";
  TXMLToken::FromBytes(WithHeader(body), version);
  return version;
}

using Tokens = std::vector<std::string>;

TEST(TXMLTokenTest, TokensArePlacedAtTheirLastCharacter) {
  const Tokens expected = {"Begin A 3:3", "Begin B 4:5", "Text 'x y' 4:9", "End B 4:12",
                           "Empty C 5:7", "End A 6:4",   "Eof 7:0"};
  EXPECT_EQ(Lex("<A>\n  <B>x y</B>\n  <C />\n</A>\n"), expected);
  // CR LF is one line end, in the skipped lines as in the body.
  EXPECT_EQ(LexBytes("line one\r\nline two\r\n<A>\r\n  <B>x y</B>\r\n  <C />\r\n</A>\r\n"),
            expected);
  // Without a final line end the end of file stands on the last character.
  EXPECT_EQ(Lex("<A/>"), (Tokens{"Empty A 3:4", "Eof 3:4"}));
  EXPECT_EQ(Lex(""), (Tokens{"Eof 3:0"}));
  EXPECT_EQ(Lex("\t<A>"), (Tokens{"Begin A 3:4", "Eof 3:4"}));
}

TEST(TXMLTokenTest, TextsAreTrimmedAndTheirBlanksBecomeSpaces) {
  EXPECT_EQ(Lex("<A>  a b  </A>"),
            (Tokens{"Begin A 3:3", "Text 'a b' 3:11", "End A 3:14", "Eof 3:14"}));
  EXPECT_EQ(Lex("<A>a\tb\nc\rd\r\ne</A>")[1], "Text 'a b c d e' 5:2");
  EXPECT_EQ(Lex("<A>\x01 %d & / = \"q\" \x1f</A>")[1], "Text '%d & / = \"q\"' 3:20");
  // Bytes from 128 up are ordinary characters, kept also at the ends of a text.
  EXPECT_EQ(Lex("<A>\xe9t\xe9</A>")[1], "Text '\xe9t\xe9' 3:7");
  // A lone carriage return is no line end; on its own it makes an empty text.
  EXPECT_EQ(Lex("<A>\r</A>"), (Tokens{"Begin A 3:3", "Text '' 3:5", "End A 3:8", "Eof 3:8"}));
}

TEST(TXMLTokenTest, TagsAllowBlanksAroundTheirNames) {
  EXPECT_EQ(
      Lex("< Name1 >< 2x\t/\n><Name/></ Name1 \n>"),
      (Tokens{"Begin Name1 3:9", "Empty 2x 4:1", "Empty Name 4:8", "End Name1 5:1", "Eof 5:1"}));
}

TEST(TXMLTokenTest, TheFirstTwoLinesAreSkippedUpTo98Characters) {
  EXPECT_EQ(LexBytes("<<>>\n<&\"\n<A/>"), (Tokens{"Empty A 3:4", "Eof 3:4"}));
  // A root element on line 2 is lost with that line.
  EXPECT_EQ(LexBytes("<?xml version=\"1.0\"?>\n<A/>\n"), (Tokens{"Eof 3:0"}));
  EXPECT_EQ(LexBytes("only one line\n"), (Tokens{"Eof 3:0"}));
  // 97 characters and the line end fill one skip; CR LF counts as one character.
  EXPECT_EQ(LexBytes(std::string(97, 'x') + "\nskipped\n<A/>"), (Tokens{"Empty A 3:4", "Eof 3:4"}));
  EXPECT_EQ(LexBytes(std::string(97, 'x') + "\r\nskipped\n<A/>"),
            (Tokens{"Empty A 3:4", "Eof 3:4"}));
  // With 98 characters the second skip takes only the line end, and line 2 is read.
  EXPECT_EQ(LexBytes(std::string(98, 'x') + "\n<B/>\n<A/>"),
            (Tokens{"Empty B 3:4", "Empty A 4:4", "Eof 4:4"}));
  // Longer lines leave their rest to be read as text.
  EXPECT_EQ(LexBytes(std::string(200, 'x') + "\n<A/>"),
            (Tokens{"Text 'xxxx' 4:1", "Empty A 4:4", "Eof 4:4"}));
}

TEST(TXMLTokenTest, LexicalErrorsNameTheOffendingCharacter) {
  EXPECT_EQ(LexError("<A x=\"1\">"), "unexpected 'x' found in line 3, column 4.");
  EXPECT_EQ(LexError("\n\n<A =>"), "unexpected '=' found in line 5, column 4.");
  EXPECT_EQ(LexError("<!-- note -->"), "unexpected '!' found in line 3, column 2.");
  EXPECT_EQ(LexError("<?pi?>"), "unexpected '?' found in line 3, column 2.");
  EXPECT_EQ(LexError("<A>x>"), "unexpected '>' found in line 3, column 5.");
  EXPECT_EQ(LexError(" >"), "unexpected '>' found in line 3, column 2.");
  EXPECT_EQ(LexError("<_A>"), "unexpected '_' found in line 3, column 2.");
  EXPECT_EQ(LexError("<A.B>"), "unexpected '.' found in line 3, column 3.");
  EXPECT_EQ(LexError("<A\xe9>"), "unexpected '\xe9' found in line 3, column 3.");
  EXPECT_EQ(LexError("<A\r>"), "unexpected '\r' found in line 3, column 3.");
  EXPECT_EQ(LexError("<A/x>"), "unexpected 'x' found in line 3, column 4.");
  EXPECT_EQ(LexError("</>"), "unexpected '>' found in line 3, column 3.");
  EXPECT_EQ(LexError("</A/>"), "unexpected '/' found in line 3, column 4.");
  EXPECT_EQ(LexError("</A B>"), "unexpected 'B' found in line 3, column 5.");
  EXPECT_EQ(LexError("<A>&amp;</A><B>\n  <C\tD>"), "unexpected 'D' found in line 4, column 6.");
}

TEST(TXMLTokenTest, EndOfFileInsideATokenIsAnError) {
  EXPECT_EQ(LexError("<A>text"), "unexpected end-of-file  found in line 3, column 7.");
  EXPECT_EQ(LexError("<A>text\n"), "unexpected end-of-file  found in line 4, column 0.");
  for (const char* body : {"<", "<A", "<A ", "<A /", "</", "</A", "</A "}) {
    const std::string column = std::to_string(std::string(body).size());
    EXPECT_EQ(LexError(body), "unexpected end-of-file  found in line 3, column " + column + ".");
  }
}

TEST(TXMLTokenTest, VersionIsTheLastTextOfAVersionElement) {
  EXPECT_EQ(VersionOf("<R><Version> 1.0 </Version></R>"), "1.0");
  EXPECT_EQ(VersionOf("<R><Version>1</Version><A><Version>2</Version></A></R>"), "2");
  EXPECT_EQ(VersionOf("<R><Version/><Version><A>x</A></Version><version>3</version></R>"),
            "unchanged");
}

TEST(TXMLTokenTest, FileIsReadFromDisk) {
  TTempDir dir;
  WriteFileBytes(dir.File("a.xml"), WithHeader("<Version>1.0</Version>"));
  std::string version;
  TXMLToken head(dir.File("a.xml"), version);
  ASSERT_EQ(head.GetKind(), xmlTokenStart);
  EXPECT_EQ(Describe(*head.GetNext()), "Begin Version 3:9");
  EXPECT_EQ(version, "1.0");

  TXMLToken missing(dir.File("missing.xml"), version);
  EXPECT_EQ(missing.GetKind(), xmlTokenEof);
  EXPECT_EQ(missing.GetNext(), nullptr);
  TXMLToken folder(dir.Path(), version);
  EXPECT_EQ(folder.GetKind(), xmlTokenEof);

  // A sparse file just above the limit is refused before anything is read.
  const std::string huge = dir.File("huge.xml");
  WriteFileBytes(huge, "");
  ASSERT_EQ(::truncate(huge.c_str(), 64 * 1024 * 1024 + 1), 0);
  TXMLToken tooLarge(huge, version);
  ASSERT_EQ(tooLarge.GetKind(), xmlTokenError);
  EXPECT_EQ(tooLarge.GetErrorMessage(),
            "the file is larger than 64 MiB; no file of this program is that large.");
  EXPECT_EQ(tooLarge.GetNext(), nullptr);
}

TEST(TXMLTokenTest, LongListsAreDeletedWithoutDeepRecursion) {
  std::string body;
  for (int i = 0; i < 1000000; ++i) body += "<a/>";
  std::string version;
  auto head = TXMLToken::FromBytes(WithHeader(body), version);
  ASSERT_EQ(head->GetKind(), xmlTokenStart);
  head.reset();
}

TEST(TXMLTokenDeathTest, AccessorsAssertTheKind) {
  std::string version;
  auto head = TXMLToken::FromBytes(WithHeader("<A>x</A>"), version);
  const TXMLToken* begin = head->GetNext();
  EXPECT_DEATH(begin->GetText(), "TokenKind == xmlTokenAttr");
  EXPECT_DEATH(begin->GetNext()->GetName(),
               "TokenKind == xmlTokenBegin \\|\\| TokenKind == xmlTokenEnd \\|\\| "
               "TokenKind == xmlTokenEmpty");
  EXPECT_DEATH(head->GetErrorMessage(), "TokenKind == xmlTokenError");
}

}  // namespace
