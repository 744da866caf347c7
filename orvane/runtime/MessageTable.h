// The library's message table: every user-visible text, addressed by id.
//
// Texts may hold the placeholders "%1" and "%2" and "%%" for a percent sign;
// KelLoadMessage substitutes them. Ids run from 1 to 103; 75 has no text.
#ifndef ORVANE_RUNTIME_MESSAGETABLE_H_
#define ORVANE_RUNTIME_MESSAGETABLE_H_

namespace orvane {

// The text of message id, or null when the table has none for it.
const char* FindMessageText(unsigned int id);

}  // namespace orvane

#endif  // ORVANE_RUNTIME_MESSAGETABLE_H_
