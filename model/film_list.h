// A list of Films sorted by start, linked through their next and prev
// fields. The list owns its films: clearing or destroying it deletes them.
// The project, the clip clipboard and every undo snapshot hold one.
#pragma once

#include <cstdint>
#include <map>

class Film;

class FilmListHead {
 public:
  FilmListHead() = default;
  FilmListHead(const FilmListHead&) = delete;
  FilmListHead& operator=(const FilmListHead&) = delete;
  ~FilmListHead();

  Film* First() const { return head_; }
  Film* Last() const { return tail_; }
  bool Empty() const { return head_ == nullptr; }
  int32_t Count() const;
  // Unlinks and deletes every film.
  void Clear();
  // Exchanges the films of two lists.
  void Swap(FilmListHead& other);

 private:
  friend class Film;
  // The film to link a film of start s before (null: at the end): the first
  // film whose start is s or later.
  Film* PlaceFor(int32_t s);
  // Builds the index again from the list's own starts.
  void Reindex();

  Film* head_ = nullptr;
  Film* tail_ = nullptr;
  // The first film of each start, kept beside the list so that a link on a
  // long project finds its place without walking from the head. Keys are
  // the starts the films had when they were linked; a start changed in
  // place is caught when the place found does not fit, and the index is
  // built again.
  std::map<int32_t, Film*> firstAt_;
};

// The project's films and the films cut or copied by the edit operations.
extern FilmListHead FilmList;
extern FilmListHead ClipClipboard;

// The current selection group (1..9): a film is selected when its group equals it.
extern int32_t SelectionGroup;
