#pragma once
// What a frame needs to make its view: apart from the templates that fill it
// in, so that frames and views need not see them.
struct CRuntimeClass;
class CDocument;
class CDocTemplate;
class CFrameWnd;

struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};
