// Rtl.ComponentText.h: the text form of component streams, the form stored objects are kept in:
//
//     object Obj1: TXObjectComponent
//       ObjClassName = 'TXShape'
//       Obj.Caption = 'Tom''s'#13#10'box'
//       Obj.Items = <
//         item
//           Ratio = 1.5
//         end>
//     end
//
// Written text is plain ASCII with CR LF line ends: characters outside printable ASCII are
// written as "#" and their Unicode code point. Raw bytes above 127 inside quotes are read as
// Windows-1252, the system ANSI code page, which older files were written in.
#pragma once

#include "Rtl.Streams.h"
#include "Rtl.SysUtils.h"

// Malformed component text; the message names the line.
X_EXCEPTION(EParserError, Exception);

// Converts the binary component stream at AInput's position into text at AOutput's position.
// Malformed binary data raises EReadError.
void ObjectBinaryToText(TStream* AInput, TStream* AOutput);
// Converts the text from AInput's position to its end into a binary component stream at
// AOutput's position. Malformed text raises EParserError and writes nothing.
void ObjectTextToBinary(TStream* AInput, TStream* AOutput);
