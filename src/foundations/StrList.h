#pragma once
// A list of strings that carries owned objects, in order: the program's one
// form of a list whose entries are a text and an object (catalogue lists,
// reruns, output runs). Entries are addressed by position.

#include <memory>
#include <string>
#include <utility>
#include <vector>

template <class T>
class TObjList {
 public:
  struct TItem {
    std::string Str;
    std::unique_ptr<T> Obj;
  };

  int Count() const { return static_cast<int>(FItems.size()); }
  bool Empty() const { return FItems.empty(); }
  void Clear() { FItems.clear(); }

  int Add(const std::string& S, std::unique_ptr<T> Obj = nullptr) {
    FItems.push_back({S, std::move(Obj)});
    return Count() - 1;
  }
  void Insert(int Index, const std::string& S, std::unique_ptr<T> Obj = nullptr) {
    FItems.insert(FItems.begin() + Index, TItem{S, std::move(Obj)});
  }
  void Delete(int Index) { FItems.erase(FItems.begin() + Index); }
  void Move(int From, int To) {
    TItem Item = std::move(FItems[From]);
    FItems.erase(FItems.begin() + From);
    FItems.insert(FItems.begin() + To, std::move(Item));
  }

  const std::string& Strings(int Index) const { return FItems.at(Index).Str; }
  void SetStrings(int Index, const std::string& S) { FItems.at(Index).Str = S; }
  T* Objects(int Index) const { return FItems.at(Index).Obj.get(); }
  void SetObject(int Index, std::unique_ptr<T> Obj) { FItems.at(Index).Obj = std::move(Obj); }

  // Position of the first entry whose text equals S exactly, -1 when none.
  int IndexOf(const std::string& S) const {
    for (size_t i = 0; i < FItems.size(); ++i)
      if (FItems[i].Str == S) return static_cast<int>(i);
    return -1;
  }

  typename std::vector<TItem>::const_iterator begin() const { return FItems.begin(); }
  typename std::vector<TItem>::const_iterator end() const { return FItems.end(); }

 private:
  std::vector<TItem> FItems;
};
