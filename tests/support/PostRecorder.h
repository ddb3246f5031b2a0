#pragma once

#include "core/NotificationCenter.h"
#include "core/NotificationObject.h"

#include <string>
#include <string_view>
#include <vector>

namespace navora::test {

// Records the posts of some notification names, in order.
class PostRecorder {
public:
    PostRecorder(NotificationCenter& center, std::vector<std::string_view> names)
        : m_center(center)
    {
        for (const std::string_view name : names) {
            m_center.addObserver(this, name, [this, name = std::string(name)](const NotificationObject& object) {
                posts.push_back({name, object});
            });
        }
    }
    ~PostRecorder() { m_center.removeObserver(this); }
    PostRecorder(const PostRecorder&) = delete;
    PostRecorder& operator=(const PostRecorder&) = delete;

    struct Post {
        std::string name;
        NotificationObject object;
    };
    std::vector<std::string> names() const
    {
        std::vector<std::string> names;
        for (const Post& post : posts)
            names.push_back(post.name);
        return names;
    }
    std::vector<Post> posts;

private:
    NotificationCenter& m_center;
};

} // namespace navora::test
