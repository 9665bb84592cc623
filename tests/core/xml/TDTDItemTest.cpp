#include "core/xml/TDTDItem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/xml/TXMLItem.h"
#include "core/xml/TXMLToken.h"
#include "tests/core/xml/XMLTestHelpers.h"
#include "tests/support/TempDir.h"

using namespace dtd;

namespace {

// The outcome of matching one item against the tokens of a body.
struct TOutcome {
  bool ok = false;
  std::string message;
  bool Fatal = false;
  std::string tree;      // the children the item added to its parent
  std::string cursorAt;  // where the cursor stands afterwards
};

std::string Where(const TXMLToken* t) {
  return t == nullptr ? "null"
                      : std::to_string(t->GetLine()) + ":" + std::to_string(t->GetColumn());
}
std::string PlaceOf(const TXMLItem& item) {
  return std::to_string(item.Line) + ":" + std::to_string(item.Column);
}

// Matches item from the first token of body on (or from the head when fromHead is set),
// into a parent that holds the child "Before" already.
TOutcome MatchOn(const TDTDItem& item, const std::string& body, bool fromHead = false) {
  std::string version;
  auto head = TXMLToken::FromBytes(WithHeader(body), version);
  EXPECT_EQ(head->GetKind(), xmlTokenStart) << body;
  TXMLComplexElement parent("P");
  parent.Add(std::make_unique<TXMLComplexElement>("Before"));
  const TXMLToken* cursor = fromHead ? head.get() : head->GetNext();
  TOutcome out;
  out.ok = item.Match(parent, cursor, out.message, out.Fatal);
  out.tree = Dump(parent);
  out.cursorAt = Where(cursor);
  return out;
}

void ExpectFailure(const TOutcome& out, bool fatal, const std::string& message) {
  EXPECT_FALSE(out.ok) << message;
  EXPECT_EQ(out.Fatal, fatal) << message;
  EXPECT_EQ(out.message, message);
}

TEST(TDTDCompoundTest, MessagesAndFatality) {
  const auto g = Compound("G", Attribute("V"));
  ExpectFailure(MatchOn(*g, "x<G>"), true,
                "unexpected text \"x\", expect begin of element \"G\", at line 3, column 2.");
  ExpectFailure(MatchOn(*g, "<H>"), false,
                "unexpected begin of element \"H\", expect begin of element \"G\", at line 3, "
                "column 3.");
  ExpectFailure(MatchOn(*g, "</H>"), false,
                "unexpected end of element \"H\", expect begin of element \"G\", at line 3, "
                "column 4.");
  ExpectFailure(MatchOn(*g, "<H/>"), false,
                "unexpected empty element \"H\", expect begin of element \"G\", at line 3, "
                "column 4.");
  ExpectFailure(MatchOn(*g, "<G />"), true,
                "element \"G\" should not be empty, at line 3, column 5.");
  ExpectFailure(MatchOn(*g, "\n"), true,
                "unexpected end-of-file, expect begin of element \"G\", at line 4, column 0.");
  // A soft failure of the content is final for the group, and its message is kept.
  const TOutcome inner = MatchOn(*g, "<G><H/></G>");
  ExpectFailure(inner, true,
                "unexpected empty element \"H\", expect begin of element \"V\". at line 3, "
                "column 7.");
  EXPECT_EQ(inner.tree, "P(Before())");
}

TEST(TDTDCompoundTest, AtTheHeadStartsAtTheFirstToken) {
  const auto g = Compound("G", Empty());
  ExpectFailure(MatchOn(*g, "\n <H/>", true), false,
                "unexpected empty element \"H\", expect begin of element \"G\", at line 4, "
                "column 5.");
  const TOutcome out = MatchOn(*g, "<G></G>", true);
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.tree, "P(Before() G())");
  EXPECT_EQ(out.cursorAt, "3:7");
}

TEST(TDTDAttributeTest, MessagesAndFatality) {
  const auto v = Attribute("V");
  const std::string expect = ", expect begin of element \"V\". at line 3, column ";
  ExpectFailure(MatchOn(*v, "x<V>"), true, "unexpected text \"x\"" + expect + "2.");
  ExpectFailure(MatchOn(*v, "<W>"), false, "unexpected begin of element \"W\"" + expect + "3.");
  ExpectFailure(MatchOn(*v, "</V>"), false, "unexpected end of element \"V\"" + expect + "4.");
  ExpectFailure(MatchOn(*v, "<V/>"), false, "unexpected empty element \"V\"" + expect + "4.");
  ExpectFailure(MatchOn(*v, ""), true, "unexpected end-of-file" + expect + "0.");
  // Once the begin tag has matched, the position stays that of the begin tag.
  ExpectFailure(MatchOn(*v, "<V>\n<W>"), true,
                "unexpected begin of element \"W\", expect text, at line 3, column 3.");
  ExpectFailure(MatchOn(*v, "<V></V>"), true,
                "unexpected end of element \"V\", expect text, at line 3, column 3.");
  ExpectFailure(MatchOn(*v, "<V><W />"), true,
                "unexpected empty element \"W\", expect text, at line 3, column 3.");
  ExpectFailure(MatchOn(*v, "<V>"), true,
                "unexpected end-of-file, expect text, at line 3, column 3.");
}

TEST(TDTDElementTest, EndTagMessages) {
  const auto v = Attribute("V");
  const TOutcome out = MatchOn(*v, "<V>1</V>");
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.tree, "P(Before() V=1)");
  EXPECT_EQ(out.cursorAt, "3:8");
  const auto maxDepth = Attribute("MaxDepth");
  ExpectFailure(MatchOn(*maxDepth, "\n\n\n\n\n\n\n\n\n  <MaxDepth>100</MaxDeph>"), true,
                "end of element \"MaxDeph\" does not match begin of element \"MaxDepth\", at line "
                "12, column 25.");
  const std::string expect = ", expect end of element \"V\", at line 3, column ";
  ExpectFailure(MatchOn(*v, "<V>1<W>"), true, "unexpected begin of element \"W\"" + expect + "7.");
  ExpectFailure(MatchOn(*v, "<V>1<W/>"), true, "unexpected empty element \"W\"" + expect + "8.");
  const auto g = Compound("G", Attribute("V"));
  ExpectFailure(MatchOn(*g, "<G><V>1</V>x</G>"), true,
                "unexpected text \"x\", expect end of element \"G\", at line 3, column 13.");
  ExpectFailure(MatchOn(*Compound("G", Empty()), "<G>"), true,
                "unexpected end-of-file, expect end of element \"G\", at line 3, column 3.");
}

TEST(TDTDItemTest, CanBeEmpty) {
  EXPECT_TRUE(Empty()->CanBeEmpty());
  EXPECT_TRUE(Optional(Attribute("A"))->CanBeEmpty());
  EXPECT_TRUE(RepeatMin0(Attribute("A"))->CanBeEmpty());
  EXPECT_FALSE(Attribute("A")->CanBeEmpty());
  EXPECT_FALSE(Compound("A", Empty())->CanBeEmpty());
  EXPECT_TRUE(Concat(Empty(), Optional(Attribute("A")))->CanBeEmpty());
  EXPECT_FALSE(Concat(Empty(), Attribute("A"))->CanBeEmpty());
  EXPECT_FALSE(Concat(Attribute("A"), Empty())->CanBeEmpty());
  EXPECT_TRUE(Choice(Attribute("A"), Empty())->CanBeEmpty());
  EXPECT_TRUE(Choice(Empty(), Attribute("A"))->CanBeEmpty());
  EXPECT_FALSE(Choice(Attribute("A"), Attribute("B"))->CanBeEmpty());
}

TEST(TDTDItemTest, EmptyGroupNeedsContentThatCanBeEmpty) {
  using TMake = std::unique_ptr<TDTDItem> (*)();
  for (TMake content : {+[] { return Empty(); }, +[] { return Optional(Attribute("V")); },
                        +[] { return RepeatMin0(Attribute("V")); }}) {
    const TOutcome out = MatchOn(*Compound("G", content()), "<G/>");
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(out.tree, "P(Before() G())");
  }
  ExpectFailure(MatchOn(*Compound("G", Attribute("V")), "<G/>"), true,
                "element \"G\" should not be empty, at line 3, column 4.");
  ExpectFailure(MatchOn(*Compound("G", Compound("H", Empty())), "<G/>"), true,
                "element \"G\" should not be empty, at line 3, column 4.");
}

TEST(TDTDItemTest, ConcatStopsAtTheFirstFailureAndUndoesNothing) {
  const auto c = Concat(Attribute("A"), Attribute("B"), Attribute("C"));
  EXPECT_EQ(MatchOn(*c, "<A>1</A><B>2</B><C>3</C>").tree, "P(Before() A=1 B=2 C=3)");
  const TOutcome out = MatchOn(*c, "<A>1</A><C>3</C>");
  ExpectFailure(out, false,
                "unexpected begin of element \"C\", expect begin of element \"B\". at line 3, "
                "column 11.");
  EXPECT_EQ(out.tree, "P(Before() A=1)");
}

TEST(TDTDItemTest, ChoiceTriesTheSecondOnlyAfterASoftFailure) {
  const auto c =
      Choice(Concat(Attribute("A"), Attribute("B")), Attribute("A"), Compound("A", Empty()));
  // The first alternative's A is taken back before the second one is tried.
  TOutcome out = MatchOn(*c, "<A>1</A></P>");
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.tree, "P(Before() A=1)");
  EXPECT_EQ(out.cursorAt, "3:12");
  EXPECT_EQ(MatchOn(*c, "<A/>").tree, "P(Before() A())");
  ExpectFailure(MatchOn(*c, "<X/>"), false,
                "unexpected empty element \"X\", expect begin of element \"A\", at line 3, "
                "column 4.");
  // A fatal failure of the first alternative is final.
  out = MatchOn(*Choice(Attribute("A"), Compound("A", Empty())), "<A></A>");
  ExpectFailure(out, true, "unexpected end of element \"A\", expect text, at line 3, column 3.");
}

TEST(TDTDItemTest, OptionalTakesBackAPartialMatch) {
  const auto o = Optional(Concat(Attribute("A"), Attribute("B")));
  TOutcome out = MatchOn(*o, "<A>1</A></P>");
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.tree, "P(Before())");
  EXPECT_EQ(out.cursorAt, "3:3");
  EXPECT_EQ(MatchOn(*o, "<A>1</A><B>2</B>").tree, "P(Before() A=1 B=2)");
  ExpectFailure(MatchOn(*o, "<A>1</A><B></B>"), true,
                "unexpected end of element \"B\", expect text, at line 3, column 11.");
  // Inside a group the parent's end tag then meets the A again.
  const auto g = Compound("P", Optional(Concat(Attribute("A"), Attribute("B"))));
  ExpectFailure(MatchOn(*g, "<P><A>1</A></P>", true), true,
                "unexpected begin of element \"A\", expect end of element \"P\", at line 3, "
                "column 6.");
}

TEST(TDTDItemTest, RepeatMin0TakesBackOnlyTheLastAttempt) {
  const auto r = RepeatMin0(Concat(Attribute("A"), Attribute("B")));
  TOutcome out = MatchOn(*r, "<A>1</A><B>2</B><A>3</A><B>4</B><A>5</A></P>");
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.tree, "P(Before() A=1 B=2 A=3 B=4)");
  EXPECT_EQ(out.cursorAt, "3:35");
  out = MatchOn(*r, "</P>");
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.tree, "P(Before())");
  ExpectFailure(MatchOn(*r, "<A>1</A><B>2</B><A></A>"), true,
                "unexpected end of element \"A\", expect text, at line 3, column 19.");
  EXPECT_EQ(MatchOn(*Compound("L", RepeatMin0(Attribute("V"))), "<L></L>").tree, "P(Before() L())");
}

TEST(ReadXMLTest, CallingOrderOfALoader) {
  const auto grammar = Compound("R", Concat(Attribute("Version"), Compound("G", Attribute("V"))));
  std::string seen = "not asked";
  const TXMLVersionCheck check = [&seen](const std::string& version, std::string& message) {
    seen = version;
    if (version == "1.0") return true;
    message = "version " + version + " is not supported";
    return false;
  };
  std::unique_ptr<TXMLComplexElement> root;
  std::string message;

  // Elements after the root are ignored; a text's column is that of its begin tag's ">".
  ASSERT_EQ(ReadXMLBytes(WithHeader("<R>\n  <Version>1.0</Version>\n  <G><V>7</V></G>\n</R><X/>"),
                         *grammar, check, root, message),
            TXMLReadStatus::Ok);
  EXPECT_EQ(Dump(*root), "Root(R(Version=1.0 G(V=7)))");
  const TXMLItem* xmlR = root->GetFirst();
  const TXMLItem* xmlVersion = xmlR->GetFirst();
  const TXMLItem* xmlG = xmlVersion->Next();
  EXPECT_EQ(PlaceOf(*xmlR), "3:3");
  EXPECT_EQ(PlaceOf(*xmlVersion), "4:11");
  EXPECT_EQ(PlaceOf(*xmlG), "5:5");
  EXPECT_EQ(PlaceOf(*xmlG->GetFirst()), "5:8");

  // The version is judged before the grammar, and a file without one gives an empty text.
  EXPECT_EQ(
      ReadXMLBytes(WithHeader("<R><Version>2.0</Version></R>"), *grammar, check, root, message),
      TXMLReadStatus::Failed);
  EXPECT_EQ(message, "version 2.0 is not supported");
  EXPECT_EQ(root, nullptr);
  EXPECT_EQ(ReadXMLBytes(WithHeader("<Q/>"), *grammar, check, root, message),
            TXMLReadStatus::Failed);
  EXPECT_EQ(seen, "");

  EXPECT_EQ(
      ReadXMLBytes(WithHeader("<R><Version>1.0</Version></R>"), *grammar, check, root, message),
      TXMLReadStatus::Failed);
  EXPECT_EQ(
      message,
      "unexpected end of element \"R\", expect begin of element \"G\", at line 3, column 29.");
  EXPECT_EQ(
      ReadXMLBytes(WithHeader("<R><Version>1.0</Version>\n<G =>"), *grammar, check, root, message),
      TXMLReadStatus::Failed);
  EXPECT_EQ(message, "unexpected '=' found in line 4, column 4.");

  TTempDir dir;
  message = "old";
  EXPECT_EQ(ReadXMLFile(dir.File("missing.vlf"), *grammar, check, root, message),
            TXMLReadStatus::CannotOpen);
  EXPECT_EQ(message, "");
  WriteFileBytes(dir.File("a.vlf"), WithHeader("<R><Version>1.0</Version><G><V>x</V></G></R>"));
  EXPECT_EQ(ReadXMLFile(dir.File("a.vlf"), *grammar, check, root, message), TXMLReadStatus::Ok);
  EXPECT_EQ(Dump(*root), "Root(R(Version=1.0 G(V=x)))");
}

TEST(TDTDItemDeathTest, ErrorTokensNeverReachAGrammar) {
  std::string version;
  auto head = TXMLToken::FromBytes(WithHeader("<A =>"), version);
  TXMLComplexElement parent("Root");
  const TXMLToken* cursor = head.get();
  std::string message;
  bool Fatal = false;
  EXPECT_DEATH(Compound("A", Empty())->Match(parent, cursor, message, Fatal),
               "xmlTokenKind != xmlTokenError");
}

}  // namespace
