#include "ParseProjectXml.h"

#include "XVPJHandler.h"
#include "project/XmlFileReader.h"

bool parseProjectXml(HNode *pRoot, const QString &path, MProject *pProject, bool merging)
{
    XVPJHandler handler;
    handler.setRoot(pRoot);
    handler.setProject(pProject);
    handler.setMerging(merging);
    return XmlFileReader::parse(path, handler);
}
