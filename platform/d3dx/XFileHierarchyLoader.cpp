// From the parsed .x to frames, mesh containers and a controller.
#include "platform/d3dx/XFileHierarchyLoader.h"

#include "platform/d3dx/FvfLayout.h"
#include "platform/d3dx/KeyframedAnimationSet.h"
#include "platform/d3dx/MeshArraysIo.h"
#include "platform/d3dx/XFileParser.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace
{
D3DXMessageSink s_sink = nullptr;

// Frames in the order they are met: the frame, its children, then its siblings.
void CollectFrames(D3DXFRAME* frame, std::vector<D3DXFRAME*>& frames)
{
    for (; frame; frame = frame->pFrameSibling)
    {
        frames.push_back(frame);
        CollectFrames(frame->pFrameFirstChild, frames);
    }
}

const char* NameOrNull(const std::string& name)
{
    return name.empty() ? nullptr : name.c_str();
}

D3DXMATERIAL MaterialOf(const d3dx::XMaterial& source, std::vector<char>& textureName)
{
    D3DXMATERIAL material{};
    material.MatD3D.Diffuse = source.faceColour;
    material.MatD3D.Specular = {source.specular.x, source.specular.y, source.specular.z, 1.0f};
    material.MatD3D.Emissive = {source.emissive.x, source.emissive.y, source.emissive.z, 1.0f};
    material.MatD3D.Power = source.power;
    textureName.assign(source.textureFile.begin(), source.textureFile.end());
    textureName.push_back('\0');
    material.pTextureFilename = source.textureFile.empty() ? nullptr : textureName.data();
    return material;
}
} // namespace

namespace d3dx
{
void ReportMessage(const std::string& text)
{
    if (s_sink)
        s_sink(text.c_str());
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

HRESULT XFileHierarchyLoader::BuildFrames(const XFileDescription& file, D3DXFRAME** root)
{
    *root = nullptr;
    D3DXFRAME** link = root;
    for (const XFrame& source : file.frames)
    {
        const HRESULT result = BuildFrame(source, link);
        if (FAILED(result))
            return result;
        link = &(*link)->pFrameSibling;
    }
    return D3D_OK;
}

HRESULT XFileHierarchyLoader::BuildFrame(const XFrame& source, D3DXFRAME** frame)
{
    D3DXFRAME* made = nullptr;
    HRESULT result = m_Allocate->CreateFrame(NameOrNull(source.name), &made);
    if (FAILED(result))
        return result;
    if (!made)
        return E_OUTOFMEMORY;
    made->pMeshContainer = nullptr;
    made->pFrameSibling = nullptr;
    made->pFrameFirstChild = nullptr;
    made->TransformationMatrix = source.transform;
    *frame = made;
    D3DXMESHCONTAINER** container = &made->pMeshContainer;
    for (const XMesh& mesh : source.meshes)
    {
        if (FAILED(result = BuildContainer(mesh, container)))
            return result;
        while (*container)
            container = &(*container)->pNextMeshContainer;
    }
    D3DXFRAME** child = &made->pFrameFirstChild;
    for (const XFrame& childSource : source.children)
    {
        if (FAILED(result = BuildFrame(childSource, child)))
            return result;
        child = &(*child)->pFrameSibling;
    }
    return D3D_OK;
}

HRESULT XFileHierarchyLoader::BuildMesh(const XMesh& source, ID3DXMesh** mesh)
{
    const DWORD vertices = DWORD(source.positions.size()), faces = DWORD(source.faces.size());
    const DWORD fvf = D3DFVF_XYZ | (source.normals.empty() ? 0u : DWORD(D3DFVF_NORMAL)) |
                      (source.texCoords.empty() ? 0u : DWORD(D3DFVF_TEX1));
    const DWORD options = m_Options | (vertices > 0xFFFF ? DWORD(D3DXMESH_32BIT) : 0u);
    HRESULT result = D3DXCreateMeshFVF(faces, vertices, options, fvf, m_Device, mesh);
    if (FAILED(result))
        return result;
    MeshArrays arrays;
    arrays.stride = (*mesh)->GetNumBytesPerVertex();
    arrays.vertices.resize(size_t(vertices) * arrays.stride);
    for (DWORD v = 0; v < vertices; ++v)
    {
        uint8_t* vertex = arrays.vertices.data() + size_t(v) * arrays.stride;
        std::memcpy(vertex, &source.positions[v], 12);
        if (!source.normals.empty())
            std::memcpy(vertex + 12, &source.normals[v], 12);
        if (!source.texCoords.empty())
            std::memcpy(vertex + arrays.stride - 8, &source.texCoords[v], 8);
    }
    for (const auto& face : source.faces)
        arrays.indices.insert(arrays.indices.end(), face.begin(), face.end());
    arrays.attributes = source.faceMaterials;
    arrays.attributes.resize(faces, 0);
    // Sorting by material makes each material one subset; vertices stay as
    // they are, so the skin's vertex numbers still hold.
    if (FAILED(result = WriteMeshArrays(*mesh, arrays)) ||
        FAILED(result = (*mesh)->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr)))
    {
        (*mesh)->Release();
        *mesh = nullptr;
    }
    return result;
}

HRESULT XFileHierarchyLoader::BuildSkin(const XMesh& source, DWORD fvf, ID3DXSkinInfo** skin)
{
    *skin = nullptr;
    if (source.skin.empty())
        return D3D_OK;
    HRESULT result =
        D3DXCreateSkinInfoFVF(DWORD(source.positions.size()), fvf, DWORD(source.skin.size()), skin);
    for (DWORD bone = 0; SUCCEEDED(result) && bone < source.skin.size(); ++bone)
    {
        const XSkinWeights& weights = source.skin[bone];
        if (SUCCEEDED(result = (*skin)->SetBoneName(bone, weights.boneName.c_str())) &&
            SUCCEEDED(result = (*skin)->SetBoneOffsetMatrix(bone, &weights.offset)))
            result = (*skin)->SetBoneInfluence(bone, DWORD(weights.vertices.size()), weights.vertices.data(),
                                               weights.weights.data());
    }
    if (FAILED(result) && *skin)
    {
        (*skin)->Release();
        *skin = nullptr;
    }
    return result;
}

HRESULT XFileHierarchyLoader::BuildContainer(const XMesh& source, D3DXMESHCONTAINER** container)
{
    ID3DXMesh* mesh = nullptr;
    ID3DXSkinInfo* skin = nullptr;
    HRESULT result = BuildMesh(source, &mesh);
    if (FAILED(result))
        return result;
    std::vector<DWORD> adjacency(mesh->GetNumFaces() * 3);
    mesh->GenerateAdjacency(0.0f, adjacency.data());
    if (FAILED(result = BuildSkin(source, mesh->GetFVF(), &skin)))
    {
        mesh->Release();
        return result;
    }
    std::vector<std::vector<char>> names(source.materials.size());
    std::vector<D3DXMATERIAL> materials;
    for (size_t i = 0; i < source.materials.size(); ++i)
        materials.push_back(MaterialOf(source.materials[i], names[i]));
    const D3DXMESHDATA data{D3DXMESHTYPE_MESH, mesh};
    *container = nullptr;
    result = m_Allocate->CreateMeshContainer(NameOrNull(source.name), &data,
                                             materials.empty() ? nullptr : materials.data(), nullptr,
                                             DWORD(materials.size()), adjacency.data(), skin, container);
    // The container took its own references.
    mesh->Release();
    if (skin)
        skin->Release();
    if (SUCCEEDED(result) && *container)
        (*container)->pNextMeshContainer = nullptr;
    return result;
}

HRESULT XFileHierarchyLoader::BuildController(const XFileDescription& file, D3DXFRAME* root,
                                              ID3DXAnimationController** controller)
{
    *controller = nullptr;
    if (file.animationSets.empty())
        return D3D_OK;
    std::vector<D3DXFRAME*> frames;
    CollectFrames(root, frames);
    HRESULT result = D3DXCreateAnimationController(UINT(frames.size()), UINT(file.animationSets.size()),
                                                   kLoadedControllerTracks, 0, controller);
    if (FAILED(result))
        return result;
    for (D3DXFRAME* frame : frames)
        if (frame->Name)
            (*controller)
                ->RegisterAnimationOutput(frame->Name, &frame->TransformationMatrix, nullptr, nullptr,
                                          nullptr);
    for (const XAnimationSet& source : file.animationSets)
    {
        ID3DXAnimationSet* set = new KeyframedAnimationSet(source, file.ticksPerSecond);
        (*controller)->RegisterAnimationSet(set);
        if (&source == &file.animationSets.front())
            (*controller)->SetTrackAnimationSet(0, set);
        set->Release();
    }
    (*controller)->SetTrackEnable(0, TRUE);
    return D3D_OK;
}
} // namespace d3dx

void D3DXSetMessageSink(D3DXMessageSink sink)
{
    s_sink = sink;
}

HRESULT D3DXLoadMeshHierarchyFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD options,
                                           IDirect3DDevice9* device, ID3DXAllocateHierarchy* allocate,
                                           void* /*userDataLoader*/, D3DXFRAME** frameHierarchy,
                                           ID3DXAnimationController** animController)
{
    if (animController)
        *animController = nullptr;
    if (!memory || !device || !allocate || !frameHierarchy)
        return D3DERR_INVALIDCALL;
    *frameHierarchy = nullptr;
    try
    {
        d3dx::XFileDescription file;
        std::string error;
        if (!d3dx::XFileParser::Parse(memory, sizeOfMemory, file, error))
        {
            d3dx::ReportMessage("ERROR: .x file not loaded: " + error);
            return E_FAIL;
        }
        if (file.frames.empty())
        {
            d3dx::ReportMessage("ERROR: .x file not loaded: it has no frame and no mesh");
            return E_FAIL;
        }
        d3dx::XFileHierarchyLoader loader(options, device, allocate);
        D3DXFRAME* root = nullptr;
        HRESULT result = loader.BuildFrames(file, &root);
        ID3DXAnimationController* controller = nullptr;
        if (SUCCEEDED(result) && animController)
            result = d3dx::XFileHierarchyLoader::BuildController(file, root, &controller);
        if (FAILED(result))
        {
            d3dx::ReportMessage("ERROR: .x file not loaded: building its frames failed");
            D3DXFrameDestroy(root, allocate);
            return result;
        }
        *frameHierarchy = root;
        if (animController)
            *animController = controller;
        return D3D_OK;
    }
    catch (const std::bad_alloc&)
    {
        d3dx::ReportMessage("ERROR: .x file not loaded: out of memory");
        return E_OUTOFMEMORY;
    }
}

HRESULT D3DXFrameDestroy(D3DXFRAME* frameRoot, ID3DXAllocateHierarchy* allocate)
{
    if (!allocate)
        return D3DERR_INVALIDCALL;
    while (frameRoot)
    {
        D3DXFRAME* sibling = frameRoot->pFrameSibling;
        for (D3DXMESHCONTAINER* container = frameRoot->pMeshContainer; container;)
        {
            D3DXMESHCONTAINER* next = container->pNextMeshContainer;
            allocate->DestroyMeshContainer(container);
            container = next;
        }
        D3DXFrameDestroy(frameRoot->pFrameFirstChild, allocate);
        allocate->DestroyFrame(frameRoot);
        frameRoot = sibling;
    }
    return D3D_OK;
}

D3DXFRAME* D3DXFrameFind(const D3DXFRAME* frameRoot, const char* name)
{
    for (; frameRoot && name; frameRoot = frameRoot->pFrameSibling)
    {
        if (frameRoot->Name && std::strcmp(frameRoot->Name, name) == 0)
            return const_cast<D3DXFRAME*>(frameRoot);
        if (D3DXFRAME* found = D3DXFrameFind(frameRoot->pFrameFirstChild, name))
            return found;
    }
    return nullptr;
}
