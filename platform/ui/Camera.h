#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// The device's camera, which this machine does not have: a folder of sample media stands in for
// what is in front of the lens. Photos (.jpg) and movies (.mp4, .mov) are taken in name order,
// one after the other, round and round.
class Camera final {
public:
    struct Movie {
        std::filesystem::path file;
        double duration = 0; // seconds
        int width = 0;
        int height = 0;
    };

    // The process's camera; its folder is the app's "camera" resource folder until set.
    static Camera& shared();

    const std::filesystem::path& folder() const { return m_folder; }
    void setFolder(std::filesystem::path folder);

    const std::vector<std::filesystem::path>& photos() const;
    const std::vector<Movie>& movies() const;
    bool isAvailable() const { return !photos().empty() || !movies().empty(); }

    // The photo in front of the lens now, and the move on to the next one once it is taken.
    std::optional<std::filesystem::path> currentPhoto() const;
    void advancePhoto();
    // The first movie whose frame fits within maxWidth x maxHeight (0: any size).
    std::optional<Movie> movieFitting(int maxWidth, int maxHeight) const;

    // Records `movie` into a new file of the temporary folder, stopping at maximumDuration seconds
    // (the recording is cut there, as the phone's camera stops). nullopt with *error on failure.
    static std::optional<std::filesystem::path> record(
        const Movie& movie, double maximumDuration, std::string* error = nullptr);
    // Duration and frame size of a movie file.
    static std::optional<Movie> probe(const std::filesystem::path& file, std::string* error = nullptr);

private:
    void scan() const;

    std::filesystem::path m_folder;
    mutable bool m_scanned {false};
    mutable std::vector<std::filesystem::path> m_photos;
    mutable std::vector<Movie> m_movies;
    size_t m_nextPhoto {0};
};

} // namespace ui
