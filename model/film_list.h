// A list of Films sorted by start, linked through their next and prev
// fields. The list owns its films: clearing or destroying it deletes them.
// The project, the clip clipboard and every undo snapshot hold one.
#pragma once

#include <cstdint>

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
  Film* head_ = nullptr;
  Film* tail_ = nullptr;
};

// The project's films and the films cut or copied by the edit operations.
extern FilmListHead FilmList;
extern FilmListHead ClipClipboard;

// The current selection group (1..9): a film is selected when its group equals it.
extern int32_t SelectionGroup;
