// The status-bar hints of the time-line's clip commands, by command number.
#include "platform/gui/resource.h"
#include "resources/timeline_ids.h"

void RegisterClipEditHints() {
  const struct {
    int id;
    const char* text;
  } hints[] = {
      {kCmUndo, "Reverses the last operation [Alt+BackSpace]"},
      {kCmRedo, "Unreverses the last operation [Alt+Shift+BackSpace]"},
      {kCmDelete, "Deletes the selected clips [Delete]"},
      {kCmCut, "Cuts the selection, puts it to the Clipboard and erases selection [Shift+Delete]"},
      {kCmCopy, "Copies the selection to the Clipboard [Ctrl+Insert]"},
      {kCmPaste, "Pastes the clipboard contents at the current position [Shift+Insert]"},
      {kCmInsert, "Inserts the clipboard contents at the current position [Insert]"},
      {kCmSplitClip, "Splits selected clip(s) into two parts at the current position"},
      {kCmJoin, "Join selected clip(s)"},
      {kCmSplit, "Splits selected clip(s) into two parts at the current position and clear selection"},
      {kCmDeleteProfile, "Delete profiles of all selected audio clips"},
      {kCmPasteEffects, "Paste/replace audio effects from clipboard into selected audio clips"},
      {kCmAddEffects, "Add audio effects from clipboard into seleted audio clips"},
      {kCmDeleteEffects, "Delete audio effects from all selected audio clips"},
      {kCmSetDeclickIn, "Set declick fadeIn (short obligatory FadeIn) for all selected clips"},
      {kCmSetDeclickOut, "Set declick fadeOut (short obligatory FadeOut) for all selected clips"},
      {kCmSetDeclickBoth,
       "Set declick fadeIn and fadeOut (short obligatory FadeIn and FadeOut) for all selected clips"},
      {kCmClearDeclickIn, "Clear declick fadeIn (short obligatory FadeIn) for all selected clips"},
      {kCmClearDeclickOut, "Clear declick fadeOut (short obligatory FadeOut) for all selected clips"},
      {kCmClearDeclickBoth,
       "Clear declick fadeIn and fadeOut (short obligatory FadeIn and FadeOut) for all selected clips"},
  };
  for (const auto& hint : hints) RegisterStringResource(hint.id, hint.text);
}
