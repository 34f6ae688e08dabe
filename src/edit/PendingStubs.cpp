// Stand-ins until the stroke and selection operations are merged: weak, so
// the real definitions replace them.
#include "doc/TesvanDoc.h"

#define WEAK __attribute__((weak))
WEAK void (*CTesvanDoc::s_pfnMovePointer)(CTesvanDoc&, CPoint) = nullptr;
WEAK int CTesvanDoc::BeginStroke(CPoint&, unsigned, int) { return 0; }
WEAK void CTesvanDoc::TrackStroke(CPoint) {}
WEAK int CTesvanDoc::EndStroke(unsigned) { return 0; }
WEAK void CTesvanDoc::OnEscapeKey() {}
WEAK int CTesvanDoc::OnTextChar(unsigned) { return 0; }
WEAK void CTesvanDoc::CancelText() {}
WEAK int CTesvanDoc::GetSelViewRect(CRect&) const { return 0; }
