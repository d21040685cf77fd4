// Node animation: one animation evaluated at one time into the node transforms.
#include "Mesh.h"

#include "MeshRecords.h"

#include <cstdio>

void Mesh::SetAnimation(unsigned int index)
{
    if (index >= GetNumAnimations()) {
        std::printf("Animation does not exist \n\n");
        std::fflush(stdout);
        return;
    }
    currentAnimation = index;
}

float Mesh::GetAnimationDuration(unsigned int index) const
{
    if (index >= GetNumAnimations() || !scene->mAnimations[index])
        return 0;
    return static_cast<float>(scene->mAnimations[index]->mDuration);
}

void Mesh::SetAnimationProgress(float fraction)
{
    if (GetNumAnimations() == 0)
        return;
    SetAnimationTime(GetAnimationDuration(currentAnimation) * fraction);
}

void Mesh::SetAnimationTime(float time)
{
    if (GetNumAnimations() == 0 || time == animationTime)
        return;
    animationTime = time;
    EvaluateAnimation(currentAnimation, time);
}

void Mesh::EvaluateAnimation(unsigned int index, float time)
{
    if (index >= GetNumAnimations() || !scene->mAnimations[index])
        return;
    const aiAnimation* animation = scene->mAnimations[index];

    for (unsigned int c = 0; animation->mChannels && c < animation->mNumChannels; c++) {
        const aiNodeAnim* channel = animation->mChannels[c];
        if (!channel)
            continue;
        // NOTE: the pose lives in the imported scene's node transforms,
        // which the importer hands out as read-only.
        aiNode* node = MeshRecords::FindNode(scene->mRootNode, channel->mNodeName);
        if (!node)
            continue;
        node->mTransformation = MeshRecords::EvaluateChannel(channel, animation->mDuration, time);
    }
    evaluatedTime = time;
}
