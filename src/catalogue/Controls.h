#pragma once
// The small control interfaces that the catalogue's list operations fill and
// read: a list box, a label and an edit field. The windows adapt their
// widgets to them; the core and its tests use the plain implementations below.
//
// Texts are the core's 8-bit bytes. A list box keeps the bytes it was given
// for every item and hands exactly those back, whatever it shows.
#include <string>
#include <vector>

class TListBoxControl {
 public:
  virtual ~TListBoxControl() = default;
  // Removes every item; afterwards nothing is selected.
  virtual void Clear() = 0;
  // Appends an item; answers its position.
  virtual int Add(const std::string& Text) = 0;
  virtual int Count() const = 0;
  // The bytes the item at Index was added with; empty outside the list.
  virtual std::string Item(int Index) const = 0;
  // The selected position, -1 when nothing is selected.
  virtual int ItemIndex() const = 0;
  // Selects Index; -1 (or a position outside the list) clears the selection.
  virtual void SetItemIndex(int Index) = 0;
};

class TLabelControl {
 public:
  virtual ~TLabelControl() = default;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& Caption) = 0;
};

class TEditControl {
 public:
  virtual ~TEditControl() = default;
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& Text) = 0;
};

// ---- plain implementations without a window

class TPlainListBox : public TListBoxControl {
 public:
  void Clear() override {
    FItems.clear();
    FItemIndex = -1;
  }
  int Add(const std::string& Text) override {
    FItems.push_back(Text);
    return static_cast<int>(FItems.size()) - 1;
  }
  int Count() const override { return static_cast<int>(FItems.size()); }
  std::string Item(int Index) const override {
    return Index >= 0 && Index < Count() ? FItems[static_cast<size_t>(Index)] : std::string();
  }
  int ItemIndex() const override { return FItemIndex; }
  void SetItemIndex(int Index) override { FItemIndex = Index >= 0 && Index < Count() ? Index : -1; }
  const std::vector<std::string>& Items() const { return FItems; }

 private:
  std::vector<std::string> FItems;
  int FItemIndex = -1;
};

class TPlainLabel : public TLabelControl {
 public:
  std::string Caption() const override { return FCaption; }
  void SetCaption(const std::string& Caption) override { FCaption = Caption; }

 private:
  std::string FCaption;
};

class TPlainEdit : public TEditControl {
 public:
  std::string Text() const override { return FText; }
  void SetText(const std::string& Text) override { FText = Text; }

 private:
  std::string FText;
};
