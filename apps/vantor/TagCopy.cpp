#include "TagCopy.h"

#include <sndfile.h>
#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <memory>
#include <unistd.h>

namespace {

void AddPicture(STagSet& tags, const std::string& sMimeType, const std::string& sDescription, int nType,
    const TagLib::ByteVector& data)
{
    tags.pictures.push_back({ sMimeType, sDescription, nType, std::string(data.data(), data.size()) });
}

void ReadPictures(const TagLib::List<TagLib::FLAC::Picture*>& pictures, STagSet& tags)
{
    for (const TagLib::FLAC::Picture* pPicture : pictures)
        AddPicture(tags, pPicture->mimeType().to8Bit(true), pPicture->description().to8Bit(true),
            static_cast<int>(pPicture->type()), pPicture->data());
}

void ReadPictures(const TagLib::ID3v2::Tag* pTag, STagSet& tags)
{
    if (pTag == nullptr)
        return;
    for (const TagLib::ID3v2::Frame* pFrame : pTag->frameList("APIC")) {
        const auto* pPicture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(pFrame);
        if (pPicture != nullptr)
            AddPicture(tags, pPicture->mimeType().to8Bit(true), pPicture->description().to8Bit(true),
                static_cast<int>(pPicture->type()), pPicture->picture());
    }
}

TagLib::FLAC::Picture* MakePicture(const SPicture& picture)
{
    auto* pPicture = new TagLib::FLAC::Picture;
    pPicture->setMimeType(TagLib::String(picture.sMimeType, TagLib::String::UTF8));
    pPicture->setDescription(TagLib::String(picture.sDescription, TagLib::String::UTF8));
    pPicture->setType(static_cast<TagLib::FLAC::Picture::Type>(picture.nType));
    pPicture->setData(TagLib::ByteVector(picture.data.data(), static_cast<unsigned>(picture.data.size())));
    return pPicture;
}

TagLib::PropertyMap ToPropertyMap(const STagSet& tags)
{
    TagLib::PropertyMap map;
    for (const auto& [sKey, values] : tags.properties) {
        TagLib::StringList list;
        for (const std::string& sValue : values)
            list.append(TagLib::String(sValue, TagLib::String::UTF8));
        map.insert(TagLib::String(sKey, TagLib::String::UTF8), list);
    }
    return map;
}

} // namespace

STagSet CTagCopy::Read(const CInputStream& stream, int nContainer)
{
    STagSet tags;
    // A file is read through a copy of its descriptor; a stream from the
    // bytes of its head, where these formats keep their tags.
    std::unique_ptr<TagLib::IOStream> pStream;
    TagLib::ByteVector head;
    if (stream.IsSeekable()) {
        const int nCopy = ::dup(stream.GetDescriptor());
        if (nCopy < 0)
            return tags;
        pStream = std::make_unique<TagLib::FileStream>(nCopy, true);
    } else {
        const std::vector<unsigned char> bytes = stream.GetHead();
        head = TagLib::ByteVector(reinterpret_cast<const char*>(bytes.data()), static_cast<unsigned>(bytes.size()));
        pStream = std::make_unique<TagLib::ByteVectorStream>(head);
    }
    if (!pStream->isOpen())
        return tags;
    std::unique_ptr<TagLib::File> pFile;
    switch (nContainer) {
    case SF_FORMAT_FLAC: {
        auto pFlac
            = std::make_unique<TagLib::FLAC::File>(pStream.get(), TagLib::ID3v2::FrameFactory::instance(), false);
        if (pFlac->isValid())
            ReadPictures(pFlac->pictureList(), tags);
        pFile = std::move(pFlac);
        break;
    }
    case SF_FORMAT_OGG: {
        auto pVorbis = std::make_unique<TagLib::Ogg::Vorbis::File>(pStream.get(), false);
        if (pVorbis->isValid() && pVorbis->tag() != nullptr) {
            ReadPictures(pVorbis->tag()->pictureList(), tags);
            pFile = std::move(pVorbis);
        } else {
            pStream->seek(0);
            auto pOpus = std::make_unique<TagLib::Ogg::Opus::File>(pStream.get(), false);
            if (pOpus->isValid() && pOpus->tag() != nullptr)
                ReadPictures(pOpus->tag()->pictureList(), tags);
            pFile = std::move(pOpus);
        }
        break;
    }
    case SF_FORMAT_WAV: {
        auto pWave = std::make_unique<TagLib::RIFF::WAV::File>(pStream.get(), false);
        if (pWave->isValid() && pWave->hasID3v2Tag())
            ReadPictures(pWave->ID3v2Tag(), tags);
        pFile = std::move(pWave);
        break;
    }
    case SF_FORMAT_AIFF: {
        auto pAiff = std::make_unique<TagLib::RIFF::AIFF::File>(pStream.get(), false);
        if (pAiff->isValid())
            ReadPictures(pAiff->tag(), tags);
        pFile = std::move(pAiff);
        break;
    }
    case SF_FORMAT_MPEG: {
        auto pMpeg
            = std::make_unique<TagLib::MPEG::File>(pStream.get(), TagLib::ID3v2::FrameFactory::instance(), false);
        if (pMpeg->isValid() && pMpeg->hasID3v2Tag())
            ReadPictures(pMpeg->ID3v2Tag(), tags);
        pFile = std::move(pMpeg);
        break;
    }
    default: return tags;
    }
    if (!pFile || !pFile->isValid())
        return tags;
    const TagLib::PropertyMap map = pFile->properties();
    for (const auto& entry : map) {
        std::vector<std::string> values;
        for (const TagLib::String& sValue : entry.second)
            values.push_back(sValue.to8Bit(true));
        tags.properties.emplace_back(entry.first.to8Bit(true), values);
    }
    return tags;
}

std::string CTagCopy::Write(const std::string& sPath, int nContainer, const STagSet& tags)
{
    if (tags.IsEmpty())
        return std::string();
    const TagLib::PropertyMap map = ToPropertyMap(tags);
    bool bSaved = false;
    switch (nContainer) {
    case SF_FORMAT_FLAC: {
        TagLib::FLAC::File file(sPath.c_str(), false);
        if (!file.isValid())
            return "TagLib cannot open it as FLAC";
        file.xiphComment(true)->setProperties(map);
        file.removePictures();
        for (const SPicture& picture : tags.pictures)
            file.addPicture(MakePicture(picture));
        bSaved = file.save();
        break;
    }
    case SF_FORMAT_OGG: {
        TagLib::Ogg::Vorbis::File file(sPath.c_str(), false);
        if (!file.isValid() || file.tag() == nullptr)
            return std::string(); // Opus and other Ogg codecs keep what libsndfile wrote
        file.tag()->setProperties(map);
        file.tag()->removeAllPictures();
        for (const SPicture& picture : tags.pictures)
            file.tag()->addPicture(MakePicture(picture));
        bSaved = file.save();
        break;
    }
    case SF_FORMAT_WAV: {
        TagLib::RIFF::WAV::File file(sPath.c_str(), false);
        if (!file.isValid())
            return "TagLib cannot open it as WAV";
        file.setProperties(map);
        bSaved = file.save();
        break;
    }
    case SF_FORMAT_AIFF: {
        TagLib::RIFF::AIFF::File file(sPath.c_str(), false);
        if (!file.isValid())
            return "TagLib cannot open it as AIFF";
        file.setProperties(map);
        bSaved = file.save();
        break;
    }
    default: return std::string();
    }
    return bSaved ? std::string() : "its tags could not be written";
}
