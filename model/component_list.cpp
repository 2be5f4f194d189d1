#include "model/component_list.h"

void FreeComponentList(ComObjectEntry* head) {
  while (head != nullptr) {
    ComObjectEntry* next = head->next;
    delete head;
    head = next;
  }
}
