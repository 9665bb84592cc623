#pragma once

#include <cstdint>
#include <string>

class TXMLComplexElement;
class TXMLItem;

// Unit kinds: the unit a value was entered in and is shown in.
enum : uint8_t {
  kUnitNone = 0,
  kUnitPercent = 1,
  kUnitSeconds = 3,
  kUnitMilliseconds = 4,
  kUnitHertz = 5,
  kUnitKilohertz = 6,
};

// Range constraints of the value classes.
enum : uint8_t {
  kConstraintNone = 0,
  kConstraintNotZero = 1,
  kConstraintNegative = 2,      // value <= 0
  kConstraintPositive = 3,      // value >= 0
  kConstraintNegativeLess = 4,  // value < 0
  kConstraintPositiveMore = 5,  // value > 0
  kConstraintFraction = 6,      // 0 <= value <= 1
  kConstraintOpenFraction = 7,  // 0 < value < 1
  kConstraintMoreThan1 = 8,     // value > 1
};

// The reason a value breaks a constraint, or an empty text when it keeps it.
std::string RangeCheck(double value, uint8_t constraint);
std::string RangeCheck(int32_t value, uint8_t constraint);

// The base of the typed values: every number the user edits or a file stores.
class unit {
 public:
  virtual ~unit() = default;

  // The value as text, in its unit kind.
  virtual std::string ToText() const = 0;
  // The dialog check: when ok is still true, parses text and on failure shows the message
  // as an input error and clears ok.
  virtual void CheckValue(bool& ok, const std::string& text, const std::string& name);
  // Parses and checks text; on failure sets message ("In <name>: <reason>") and keeps the
  // stored value.
  virtual bool FromText(const std::string& text, const std::string& name,
                        std::string& message) = 0;
  // Adds a text element name holding ToText() to parent.
  virtual void WriteXML(const std::string& name, TXMLComplexElement& parent) const;
  // Sets line and column to the element's position and parses its text.
  virtual bool ReadXML(const TXMLItem& element, std::string& message, int32_t& line,
                       int32_t& column);

  uint8_t UnitKind() const { return m_unitKind; }
  uint8_t Constraint() const { return m_constraint; }

 protected:
  unit(uint8_t unitKind, uint8_t constraint) : m_unitKind(unitKind), m_constraint(constraint) {}
  unit(const unit&) = default;
  unit& operator=(const unit&) = default;

  uint8_t m_unitKind;
  uint8_t m_constraint;
};

// 32-bit signed integers.
class unitIntegerBase : public unit {
 public:
  std::string ToText() const override;
  bool FromText(const std::string& text, const std::string& name, std::string& message) override;

  int32_t GetValue() const { return m_value; }
  void SetValue(int32_t value) { m_value = value; }

 protected:
  unitIntegerBase(int32_t value, uint8_t unitKind, uint8_t constraint)
      : unit(unitKind, constraint), m_value(value) {}
  int32_t m_value;
};

// Doubles with an optional percent kind.
class unitFactorBase : public unit {
 public:
  std::string ToText() const override;
  bool FromText(const std::string& text, const std::string& name, std::string& message) override;
  // The value formatted with FormatDouble.
  std::string ToText(int minDigBefore, int minDigAfter, int maxDigAfter) const;

  double GetValue() const { return m_value; }
  void SetValue(double value) { m_value = value; }

 protected:
  unitFactorBase(double value, uint8_t unitKind, uint8_t constraint)
      : unit(unitKind, constraint), m_value(value) {}
  double m_value;
};

// Times in seconds, entered in s, ms, Hz, kHz or as a length that sound travels.
class unitTimeBase : public unit {
 public:
  std::string ToText() const override;
  bool FromText(const std::string& text, const std::string& name, std::string& message) override;
  std::string ToText(int minDigBefore, int minDigAfter, int maxDigAfter) const;

  double GetValue() const { return m_value; }
  void SetValue(double value) { m_value = value; }

 protected:
  unitTimeBase(double value, uint8_t unitKind, uint8_t constraint)
      : unit(unitKind, constraint), m_value(value) {}
  double m_value;
};

#define VELMORA_VALUE_CLASS(Name, Base, Type, Constraint, DefaultKind)         \
  class Name : public Base {                                                   \
   public:                                                                     \
    explicit Name(Type value = 0, uint8_t unitKind = DefaultKind)              \
        : Base(value, unitKind, Constraint) {}                                 \
    bool operator==(const Name& other) const {                                 \
      return m_value == other.m_value && m_unitKind == other.m_unitKind;       \
    }                                                                          \
  };

VELMORA_VALUE_CLASS(unitInteger, unitIntegerBase, int32_t, kConstraintNone, kUnitNone)
VELMORA_VALUE_CLASS(unitIntegerPos, unitIntegerBase, int32_t, kConstraintPositive, kUnitNone)
VELMORA_VALUE_CLASS(unitIntegerPosMore, unitIntegerBase, int32_t, kConstraintPositiveMore,
                    kUnitNone)
VELMORA_VALUE_CLASS(unitFactor, unitFactorBase, double, kConstraintNone, kUnitNone)
VELMORA_VALUE_CLASS(unitFactorPosMore, unitFactorBase, double, kConstraintPositiveMore,
                    kUnitNone)
VELMORA_VALUE_CLASS(unitFactorPosMoreLess1, unitFactorBase, double, kConstraintOpenFraction,
                    kUnitNone)
VELMORA_VALUE_CLASS(unitFactorPosMore1, unitFactorBase, double, kConstraintMoreThan1, kUnitNone)
VELMORA_VALUE_CLASS(unitTime, unitTimeBase, double, kConstraintNone, kUnitSeconds)
VELMORA_VALUE_CLASS(unitTimePos, unitTimeBase, double, kConstraintPositive, kUnitSeconds)
VELMORA_VALUE_CLASS(unitTimePosMore, unitTimeBase, double, kConstraintPositiveMore, kUnitSeconds)

#undef VELMORA_VALUE_CLASS

// A colour, laid out 0x00BBGGRR; written as upper-case hexadecimal.
class unitColor : public unit {
 public:
  explicit unitColor(uint32_t value = 0) : unit(kUnitNone, kConstraintNone), m_value(value) {}

  std::string ToText() const override;
  // Colours are never typed in: a hard assertion.
  bool FromText(const std::string& text, const std::string& name, std::string& message) override;
  bool ReadXML(const TXMLItem& element, std::string& message, int32_t& line,
               int32_t& column) override;

  uint32_t GetValue() const { return m_value; }
  void SetValue(uint32_t value) { m_value = value; }
  bool operator==(const unitColor& other) const { return m_value == other.m_value; }

 private:
  uint32_t m_value;
};
