// CDC.
#include "platform/afx/dc.h"

CDC::~CDC()
{
    if (m_bOwns && m_hDC) DeleteDC(m_hDC);
}
