#include "NameGenerator.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nw::bench {

namespace {

// Words for band and artist names. Some are not ASCII, as in real libraries.
constexpr const char* kAdjectives[] = {
    "Velvet",   "Silver",   "Electric", "Midnight", "Crimson",   "Golden",  "Hollow",   "Wild",
    "Broken",   "Neon",     "Quiet",    "Lunar",    "Atomic",    "Burning", "Frozen",   "Gentle",
    "Hidden",   "Iron",     "Jade",     "Lazy",     "Lonely",    "Lucky",   "Magnetic", "Paper",
    "Plastic",  "Purple",   "Restless", "Rusty",    "Savage",    "Scarlet", "Secret",   "Shallow",
    "Sleepy",   "Solar",    "Static",   "Stone",    "Sugar",     "Sunday",  "Tender",   "Thunder",
    "Twin",     "Wooden",   "Young",    "Black",    "Blue",      "Green",   "Red",      "White",
    "Northern", "Southern", "Eastern",  "Western",  "Cosmic",    "Crystal", "Dusty",    "Empty",
    "Faded",    "Fever",    "Glass",    "Heavy",    "Honey",     "Ivory",   "Little",   "Lost",
    "Mad",      "Mystic",   "Naked",    "Nervous",  "Orange",    "Pale",    "Primal",   "Rainy",
    "Royal",    "Salty",    "Sonic",    "Strange",  "Sweet",     "Tiny",    "Velour",   "Violet",
    "Wicked",   "Winter",   "Yellow",   "Zero",     "Analog",    "Digital", "Seventh",  "Infinite",
    "Radiant",  "Hungry",   "Drowsy",   "Fragile",  "Glorious",  "Humble",  "Kinetic",  "Mellow",
    "Polar",    "Rapid",    "Stellar",  "Tidal",    "Übersonic", "Señor",   "Noir",     "Café"};

constexpr const char* kNouns[] = {
    "Owls",       "Wolves",    "Foxes",     "Ravens",     "Sparrows",   "Tigers",    "Horses",
    "Pilots",     "Sailors",   "Monks",     "Kings",      "Queens",     "Ghosts",    "Giants",
    "Robots",     "Lovers",    "Strangers", "Drifters",   "Rebels",     "Saints",    "Sinners",
    "Machines",   "Engines",   "Rockets",   "Satellites", "Comets",     "Planets",   "Oceans",
    "Rivers",     "Mountains", "Canyons",   "Deserts",    "Forests",    "Gardens",   "Roses",
    "Lilies",     "Daisies",   "Orchids",   "Stones",     "Bones",      "Hearts",    "Hands",
    "Eyes",       "Mirrors",   "Shadows",   "Echoes",     "Waves",      "Storms",    "Clouds",
    "Lights",     "Flames",    "Embers",    "Sparks",     "Wires",      "Radios",    "Tapes",
    "Records",    "Bells",     "Drums",     "Horns",      "Strings",    "Keys",      "Doors",
    "Windows",    "Bridges",   "Towers",    "Castles",    "Cathedrals", "Motels",    "Diners",
    "Highways",   "Trains",    "Ships",     "Boats",      "Anchors",    "Compasses", "Maps",
    "Letters",    "Poems",     "Stories",   "Dreams",     "Visions",    "Prophets",  "Wizards",
    "Witches",    "Dragons",   "Unicorns",  "Sharks",     "Whales",     "Dolphins",  "Bees",
    "Wasps",      "Beetles",   "Moths",     "Crows",      "Herons",     "Swans",     "Falcons",
    "Panthers",   "Lions",     "Bears",     "Rabbits",    "Cats",       "Dogs",      "Mice",
    "Astronauts", "Cowboys",   "Dancers",   "Hermits",    "Orphans",    "Pirates",   "Twins"};

constexpr const char* kFirstNames[] = {
    "Ada",   "Alice",  "Amara",   "Ben",      "Billie", "Carlos", "Chloé",   "Dara",    "David",
    "Elena", "Elliot", "Emil",    "Eva",      "Felix",  "Frida",  "Gabriel", "Greta",   "Hana",
    "Hugo",  "Ines",   "Isaac",   "Jonas",    "José",   "Julia",  "Kai",     "Kira",    "Leo",
    "Lena",  "Lucas",  "Luna",    "Maja",     "Marco",  "Maria",  "Mateo",   "Mila",    "Nadia",
    "Nils",  "Noah",   "Nora",    "Oscar",    "Otto",   "Paula",  "Pedro",   "Rosa",    "Ruben",
    "Sara",  "Sofia",  "Søren",   "Tara",     "Theo",   "Uma",    "Vera",    "Victor",  "Willa",
    "Yara",  "Yusuf",  "Zoë",     "Zane",     "Björn",  "Aiko",   "Ravi",    "Priya",   "Omar",
    "Layla", "Tomás",  "Aurélie", "François", "Dmitri", "Katya",  "Ingrid",  "Malik",   "Amir",
    "Nina",  "Iris",   "Jude",    "Rhys",     "Ciara",  "Declan", "Saoirse", "Wendell", "Ruth"};

constexpr const char* kSurnames[] = {
    "Quill",     "Hart",     "Stone",    "Rivers",    "Marsh",   "Fox",       "Wolfe",
    "Black",     "Gray",     "Lane",     "Moss",      "Reed",    "Frost",     "Blake",
    "Cross",     "Day",      "Price",    "West",      "Knight",  "Bishop",    "Carter",
    "Fischer",   "Müller",   "Novak",    "Kowalski",  "Larsen",  "Lindqvist", "Okafor",
    "Mensah",    "Tanaka",   "Sato",     "Kim",       "Park",    "Nguyen",    "Silva",
    "Santos",    "Costa",    "Rossi",    "Bianchi",   "Moreau",  "Lefèvre",   "Dubois",
    "García",    "Núñez",    "Ortega",   "Romero",    "Vargas",  "Petrov",    "Ivanova",
    "Horvat",    "Kovač",    "Brennan",  "Doyle",     "O'Neill", "MacLeod",   "Abernathy",
    "Whitfield", "Ashdown",  "Holloway", "Pemberton", "Winslow", "Calloway",  "Delacroix",
    "Vance",     "Sterling", "Mercer",   "Sinclair",  "Thorne",  "Wilde",     "Young",
    "Ellis",     "Hayes",    "Monroe",   "Reyes",     "Chen",    "Zhao",      "Haddad",
    "Farouk",    "Lindgren", "Okonkwo",  "Yamamoto",  "Schäfer", "Dvořák",    "Ferreira"};

constexpr const char* kTitleWords[] = {
    "Love",    "Heart",      "Night",     "Day",     "Rain",     "Sun",       "Moon",
    "Star",    "Fire",       "Water",     "River",   "Road",     "Home",      "Time",
    "Dream",   "Light",      "Dark",      "Blue",    "Gold",     "Summer",    "Winter",
    "Autumn",  "Spring",     "Morning",   "Evening", "Midnight", "Dance",     "Song",
    "Kiss",    "Goodbye",    "Hello",     "Forever", "Never",    "Always",    "Again",
    "Tonight", "Yesterday",  "Tomorrow",  "City",    "Street",   "Car",       "Train",
    "Ocean",   "Sea",        "Wave",      "Storm",   "Wind",     "Sky",       "Cloud",
    "Snow",    "Ice",        "Stone",     "Rose",    "Garden",   "Window",    "Door",
    "Mirror",  "Shadow",     "Ghost",     "Angel",   "Devil",    "Heaven",    "Paradise",
    "Fever",   "Sugar",      "Honey",     "Candy",   "Cherry",   "Wine",      "Whiskey",
    "Coffee",  "Money",      "Diamond",   "Silver",  "Paper",    "Radio",     "Telephone",
    "Letter",  "Photograph", "Memory",    "Secret",  "Promise",  "Lie",       "Truth",
    "Fool",    "King",       "Queen",     "Girl",    "Boy",      "Baby",      "Mama",
    "Daddy",   "Brother",    "Sister",    "Friend",  "Stranger", "Lover",     "Rebel",
    "Runaway", "Soldier",    "Sailor",    "Driver",  "Dancer",   "Singer",    "Wanderer",
    "Run",     "Fall",       "Fly",       "Shine",   "Burn",     "Breathe",   "Cry",
    "Smile",   "Wait",       "Stay",      "Leave",   "Come",     "Go",        "Hold",
    "Let",     "Want",       "Need",      "Feel",    "Know",     "Believe",   "Remember",
    "Forget",  "Wake",       "Sleep",     "Walk",    "Drive",    "Ride",      "Swim",
    "Sing",    "Shout",      "Whisper",   "Break",   "Hide",     "Seek",      "Find",
    "Lose",    "Wonder",     "Wild",      "Sweet",   "Cold",     "Warm",      "Lonely",
    "Happy",   "Sad",        "Crazy",     "Young",   "Old",      "New",       "Last",
    "First",   "Little",     "Big",       "Long",    "Slow",     "Fast",      "Bright",
    "Golden",  "Broken",     "Empty",     "Endless", "Electric", "Red",       "Green",
    "Black",   "White",      "Velvet",    "Silent",  "Loud",     "Hollow",    "Holy",
    "Strange", "Beautiful",  "Dangerous", "The",     "A",        "Of",        "In",
    "On",      "My",         "Your",      "Me",      "You",      "We",        "Us",
    "To",      "All",        "No",        "One",     "Two",      "Three",     "For",
    "With",    "Without",    "Under",     "Over",    "Back",     "Down",      "Up",
    "Away",    "Out",        "Don't",     "I'm",     "Can't",    "Won't",     "Rock'n'Roll",
    "Café",    "Señorita",   "Déjà",      "Vu",      "Über",     "Fiesta",    "Amor",
    "Corazón", "Noche",      "Sueño",     "Liebe",   "Nacht",    "Sommer",    "Été",
    "Soleil",  "Étoile",     "Blues",     "Boogie",  "Groove",   "Funk",      "Soul",
    "Highway", "Desert",     "Mountain",  "Valley",  "Island",   "Harbour",   "Bridge",
    "Tower",   "Castle",     "Machine",   "Engine",  "Rocket",   "Satellite", "Planet",
    "Comet",   "Galaxy",     "Universe",  "Echo",    "Thunder",  "Lightning", "Horizon",
    "Sunset",  "Sunrise",    "Twilight",  "Shadows", "Tears",    "Eyes",      "Hands",
    "Lips",    "Bones",      "Blood",     "Sweat",   "Skin",     "Soul",      "Mind",
    "Spirit",  "Freedom",    "Glory",     "Hope",    "Faith",    "Grace",     "Mercy",
    "Sorrow",  "Joy",        "Trouble",   "Danger",  "Magic",    "Mystery",   "Miracle",
    "Jungle",  "Circus",     "Carnival",  "Parade",  "Party",    "Holiday",   "Weekend",
    "Monday",  "Friday",     "Saturday",  "Sunday",  "January",  "June",      "October",
    "Lullaby", "Serenade",   "Anthem",    "Ballad",  "Requiem",  "Overture",  "Interlude"};

constexpr const char* kTitleExtras[] = {" (Live)",       " (Remastered)", " (Acoustic)",
                                        " (Radio Edit)", " (Demo)",       " Part 2"};

template <size_t N> const char* pick(Rng& rng, const char* const (&words)[N]) {
    return words[rng.below(uint32_t(N))];
}

std::string twoDigits(int n) {
    return std::string(1, char('0' + n / 10 % 10)) + char('0' + n % 10);
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string extensionFor(Rng& rng) {
    const uint32_t r = rng.below(100);
    return r < 45 ? "mp3" : r < 70 ? "flac" : r < 85 ? "m4a" : r < 95 ? "ogg" : "wav";
}

} // namespace

NameGenerator::NameGenerator(uint64_t seed)
    : rng_(seed) {}

GeneratedFile NameGenerator::next() {
    while (pending_.empty())
        fillAlbum();
    GeneratedFile f = std::move(pending_.front());
    pending_.pop_front();
    return f;
}

std::string NameGenerator::artistName() {
    const uint32_t r = rng_.below(100);
    if (r < 35)
        return std::string("The ") + pick(rng_, kAdjectives) + " " + pick(rng_, kNouns);
    if (r < 65)
        return std::string(pick(rng_, kFirstNames)) + " " + pick(rng_, kSurnames);
    if (r < 80)
        return std::string(pick(rng_, kAdjectives)) + " " + pick(rng_, kNouns);
    if (r < 88)
        return std::string(pick(rng_, kSurnames)) + " " + pick(rng_, kSurnames);
    if (r < 94)
        return std::string(pick(rng_, kFirstNames)) + " & the " + pick(rng_, kNouns);
    return std::string("DJ ") + pick(rng_, kAdjectives) + " " + pick(rng_, kFirstNames);
}

void NameGenerator::startArtist() {
    std::string name;
    for (int tries = 0;; ++tries) {
        name = artistName();
        if (tries > 20) {
            name += ' ';
            name += std::to_string(tries);
        }
        if (artists_.insert(name).second)
            break;
    }
    artist_ = name;
    albumsLeft_ = 1 + int(rng_.below(6));
    if (recentArtists_.size() < 64)
        recentArtists_.push_back(name);
    else
        recentArtists_[rng_.below(64)] = name;
}

std::string NameGenerator::title(int minWords, int maxWords) {
    const int words = minWords + int(rng_.below(uint32_t(maxWords - minWords + 1)));
    std::string t;
    for (int k = 0; k < words; ++k) {
        if (k > 0)
            t += ' ';
        t += pick(rng_, kTitleWords);
    }
    return t;
}

void NameGenerator::fillAlbum() {
    if (albumsLeft_ == 0)
        startArtist();
    --albumsLeft_;
    const bool compilation = recentArtists_.size() >= 8 && rng_.perMille(30);
    const std::string albumArtist = compilation ? std::string("Various Artists") : artist_;
    std::string albumTitle;
    std::string albumFolder;
    for (int tries = 0;; ++tries) {
        albumTitle = title(1, 4);
        if (tries > 20) {
            albumTitle += ' ';
            albumTitle += std::to_string(tries);
        }
        albumFolder =
            albumArtist + "/" + albumTitle + " (" + std::to_string(1960 + rng_.below(64)) + ")";
        if (albums_.insert(albumFolder).second)
            break;
    }

    const std::string extension = extensionFor(rng_);
    const int discs = rng_.perMille(50) ? 2 : 1;
    const int tracks = 5 + int(rng_.below(14));
    std::unordered_set<std::string> names;
    for (int disc = 1; disc <= discs; ++disc) {
        const std::string folder =
            discs > 1 ? albumFolder + "/CD" + std::to_string(disc) : albumFolder;
        for (int track = 1; track <= tracks; ++track) {
            const std::string trackArtist =
                compilation ? recentArtists_[rng_.below(uint32_t(recentArtists_.size()))] : artist_;
            std::string t = title(1, 5);
            if (rng_.perMille(60))
                t += pick(rng_, kTitleExtras);
            else if (rng_.perMille(30))
                t += std::string(" (feat. ") + pick(rng_, kFirstNames) + " " +
                     pick(rng_, kSurnames) + ")";
            GeneratedFile f{folder, twoDigits(track) + " - " + trackArtist + " - " + t, false};
            f.name += "." + extension;
            if (!names.insert(f.name).second)
                continue;
            pending_.push_back(f);
            if (rng_.perMille(30))
                addDuplicate(f, extension, names);
        }
    }

    // Generic names such as "cover.jpg" would match in every album folder, and the rows would
    // grow with the square of the album count; taggers also write the album's name into them.
    const std::string stem = albumArtist + " - " + albumTitle;
    auto add = [&](std::string name) {
        if (names.insert(name).second)
            pending_.push_back({albumFolder, std::move(name), false});
    };
    if (rng_.perMille(600)) {
        switch (rng_.below(3)) {
        case 0:
            add(stem + ".jpg");
            break;
        case 1:
            add(albumTitle + " (Front).jpg");
            break;
        default:
            add(stem + " - Cover.jpg");
            break;
        }
    }
    if (rng_.perMille(150))
        add(stem + " (Back).jpg");
    if (rng_.perMille(200))
        add(rng_.perMille(500) ? stem + ".txt" : albumTitle + " - Liner Notes.txt");
}

std::string NameGenerator::nearDuplicate(const std::string& name, const std::string& extension) {
    std::string stem = name.substr(0, name.size() - extension.size() - 1);
    const std::string dotExt = "." + extension;
    // Typos go into the title, where a person retyping a name makes them.
    const size_t titleStart = stem.rfind(" - ") == std::string::npos ? 0 : stem.rfind(" - ") + 3;
    std::vector<size_t> letters;
    for (size_t k = titleStart; k < stem.size(); ++k) {
        if (isAsciiLetter(stem[k]))
            letters.push_back(k);
    }
    uint32_t kind = rng_.below(7);
    if (kind <= 2 && letters.size() < 2)
        kind = 3;
    switch (kind) {
    case 0: // a dropped letter
        stem.erase(letters[rng_.below(uint32_t(letters.size()))], 1);
        return stem + dotExt;
    case 1: { // a changed letter
        const size_t k = letters[rng_.below(uint32_t(letters.size()))];
        const char base = stem[k] >= 'a' ? 'a' : 'A';
        stem[k] = char(base + (stem[k] - base + 1 + int(rng_.below(25))) % 26);
        return stem + dotExt;
    }
    case 2: { // two letters swapped
        const size_t k = letters[rng_.below(uint32_t(letters.size() - 1))];
        if (k + 1 < stem.size() && isAsciiLetter(stem[k + 1]))
            std::swap(stem[k], stem[k + 1]);
        else
            stem.erase(k, 1);
        return stem + dotExt;
    }
    case 3:
        return stem + " (1)" + dotExt;
    case 4:
        return stem + " - Copy" + dotExt;
    case 5:
        for (char& c : stem) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
        return stem + dotExt;
    default: {
        std::string other = extension;
        while (other == extension)
            other = extensionFor(rng_);
        return stem + "." + other;
    }
    }
}

void NameGenerator::addDuplicate(const GeneratedFile& original, const std::string& extension,
                                 std::unordered_set<std::string>& albumNames) {
    GeneratedFile dup{original.folder, nearDuplicate(original.name, extension), true};
    // Some copies land in a shared download folder rather than beside the original.
    if (rng_.perMille(200)) {
        dup.folder = "Incoming";
        if (!incoming_.insert(dup.name).second)
            return;
    } else if (!albumNames.insert(dup.name).second) {
        return;
    }
    pending_.push_back(std::move(dup));
}

namespace {

std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool isEmptyFolder(const std::string& path, std::string& error) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir) {
        error = systemError("cannot list", path);
        return false;
    }
    bool empty = true;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            empty = false;
            break;
        }
    }
    ::closedir(dir);
    if (!empty)
        error = path + " is not empty";
    return empty;
}

} // namespace

bool makeTree(const std::string& root, uint64_t count, uint64_t seed, TreeStats& stats,
              std::string& error) {
    stats = {};
    if (::mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) {
        error = systemError("cannot create", root);
        return false;
    }
    if (!isEmptyFolder(root, error))
        return false;
    const int rootFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        error = systemError("cannot open", root);
        return false;
    }
    NameGenerator generator(seed);
    std::unordered_set<std::string> made;
    std::string current;
    int folderFd = -1;
    bool ok = true;
    for (uint64_t k = 0; k < count && ok; ++k) {
        const GeneratedFile f = generator.next();
        if (folderFd < 0 || f.folder != current) {
            if (folderFd >= 0)
                ::close(folderFd);
            // Each folder is made once, parents first; files then open relative to it.
            for (size_t end = 0; ok; ++end) {
                end = f.folder.find('/', end);
                const std::string part = f.folder.substr(0, end);
                if (made.insert(part).second) {
                    if (::mkdirat(rootFd, part.c_str(), 0755) != 0) {
                        error = systemError("cannot create", root + "/" + part);
                        ok = false;
                    } else {
                        ++stats.folders;
                    }
                }
                if (end == std::string::npos)
                    break;
            }
            folderFd =
                ok ? ::openat(rootFd, f.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
            if (ok && folderFd < 0) {
                error = systemError("cannot open", root + "/" + f.folder);
                ok = false;
            }
            current = f.folder;
            if (!ok)
                break;
        }
        const int fd =
            ::openat(folderFd, f.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = systemError("cannot create", root + "/" + f.folder + "/" + f.name);
            ok = false;
            break;
        }
        ::close(fd);
        ++stats.files;
        if (f.nearDuplicate)
            ++stats.nearDuplicates;
    }
    if (folderFd >= 0)
        ::close(folderFd);
    ::close(rootFd);
    return ok;
}

bool parseCount(const std::string& text, uint64_t& value) {
    uint64_t v = 0;
    size_t k = 0;
    for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
        if (v > (UINT64_MAX - 9) / 10)
            return false;
        v = v * 10 + uint64_t(text[k] - '0');
    }
    if (k == 0)
        return false;
    uint64_t scale = 1;
    if (k + 1 == text.size() && (text[k] == 'k' || text[k] == 'K'))
        scale = 1000;
    else if (k + 1 == text.size() && text[k] == 'M')
        scale = 1000000;
    else if (k != text.size())
        return false;
    if (v > UINT64_MAX / scale)
        return false;
    value = v * scale;
    return true;
}

} // namespace nw::bench
