#include "clip_description.h"

#include <cstdlib>
#include <sstream>

#include "script_file.h"

namespace {

std::string unescape(const std::string& raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        const char c = raw[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

// The rest of the line after the words read so far, without the one blank before it.
std::string rest_of(std::istringstream& words) {
    std::string rest;
    std::getline(words, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    return unescape(rest);
}

optional_text optional_text_of(std::istringstream& words) {
    optional_text result;
    std::string word;
    if (words >> word && word == "text") {
        result.present = true;
        result.text = rest_of(words);
    }
    return result;
}

int frame_of(const std::string& word) { return word == "*" ? -1 : std::atoi(word.c_str()); }

int plane_index_of(const std::string& name) {
    return name == "Y" ? 0 : name == "U" ? 1 : name == "V" ? 2 : -1;
}

bool parse_line(const std::string& line, clip_description* clip) {
    std::istringstream words(line);
    std::string directive;
    if (!(words >> directive) || directive[0] == '#') return true;
    AVS_VideoInfo& info = clip->info;
    if (directive == "result") {
        std::string kind;
        words >> kind;
        const std::map<std::string, char> letters = {{"clip", 'c'},  {"error", 'e'}, {"int", 'i'},
                                                     {"float", 'f'}, {"string", 's'}, {"bool", 'b'},
                                                     {"void", 'v'}};
        auto found = letters.find(kind);
        if (found == letters.end()) return false;
        clip->result = found->second;
    } else if (directive == "text") {
        clip->text = rest_of(words);
    } else if (directive == "video") {
        words >> info.width >> info.height >> info.fps_numerator >> info.fps_denominator >>
            info.num_frames;
    } else if (directive == "pixel_type") {
        words >> info.pixel_type;
    } else if (directive == "format") {
        std::string family;
        words >> family >> clip->bits;
        clip->family = family == "none" ? 0 : std::atoi(family.c_str());
    } else if (directive == "legacy") {
        words >> clip->legacy;
    } else if (directive == "plane") {
        std::string name;
        words >> name;
        const int index = plane_index_of(name);
        if (index < 0) return false;
        plane_geometry& plane = clip->planes[index];
        words >> plane.row_size >> plane.height >> plane.pitch;
        clip->planes_set[index] = true;
    } else if (directive == "fetch_fail") {
        int frame;
        words >> frame;
        clip->fetch_failures[frame] = optional_text_of(words);
    } else if (directive == "prop") {
        std::string frame, kind;
        prop_entry entry;
        words >> frame >> entry.key >> kind;
        entry.frame = frame_of(frame);
        entry.kind = kind == "int" ? 'i' : kind == "float" ? 'f' : 'd';
        if (entry.kind == 'i')
            for (long long v; words >> v;) entry.ints.push_back(v);
        if (entry.kind == 'f')
            for (std::string v; words >> v;) entry.floats.push_back(std::strtod(v.c_str(), nullptr));
        clip->props.push_back(entry);
    } else if (directive == "props_map") {
        std::string frame, state;
        words >> frame >> state;
        clip->map_states[frame_of(frame)] = state;
    } else if (directive == "audio") {
        words >> info.audio_samples_per_second >> info.sample_type >> info.nchannels >>
            info.num_audio_samples;
    } else if (directive == "audio_fail") {
        clip->audio_fail_set = true;
        words >> clip->audio_fail_sample;
        clip->audio_fail_text = optional_text_of(words);
    } else if (directive == "prepared") {
        clip->prepared = true;
    } else if (directive == "delay") {
        std::string frame;
        int ms = 0;
        words >> frame >> ms;
        clip->delays_ms[frame_of(frame)] = ms;
    } else {
        return false;
    }
    return !words.bad();
}

}  // namespace

bool load_clip_description(const char* path, bool utf8, clip_description* out,
                           std::string* error) {
    std::FILE* script = open_script(path, utf8);
    if (!script) {
        *error = std::string("Import: couldn't open \"") + path + "\"";
        return false;
    }
    std::string text;
    char block[4096];
    for (size_t got; (got = std::fread(block, 1, sizeof block, script)) > 0;)
        text.append(block, got);
    std::fclose(script);
    std::istringstream file(text);
    clip_description clip;
    clip.info = AVS_VideoInfo{64, 48, 25, 1, 1, 0, 0, 0, 0, 0, 0};
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!parse_line(line, &clip)) {
            *error = "stand-in: cannot read line " + std::to_string(number) + " of " + path;
            return false;
        }
    }
    *out = clip;
    return true;
}

plane_geometry plane_of(const clip_description& clip, int plane_index) {
    if (clip.planes_set[plane_index]) return clip.planes[plane_index];
    const int bytes = clip.bits <= 8 ? 1 : clip.bits <= 16 ? 2 : 4;
    int width = clip.info.width;
    int height = clip.info.height;
    if (plane_index > 0 && (clip.family == 420 || clip.family == 422)) width /= 2;
    if (plane_index > 0 && clip.family == 420) height /= 2;
    plane_geometry plane;
    plane.row_size = width * bytes;
    plane.height = height;
    plane.pitch = (plane.row_size + 31) / 32 * 32 + 32;  // always padded, as engines do
    return plane;
}
