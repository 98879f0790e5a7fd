"""An English stop word list (the usual function words, as in the common IR lists), for the baselines."""

ENGLISH = frozenset(
    """
a about above across after afterwards again against all almost alone along already also although always am
among amongst an and another any anyhow anyone anything anyway anywhere are aren't around as at be became
because become becomes becoming been before beforehand behind being below beside besides between beyond both
but by can cannot can't could couldn't did didn't do does doesn't doing don't done down during each e.g eg
either else elsewhere enough etc even ever every everyone everything everywhere except few first for former
formerly from further had hadn't has hasn't have haven't having he hence her here hereafter hereby herein
hers herself him himself his how however i ie i.e if in indeed instead into is isn't it its it's itself just
last later latter least less let like likely may me meanwhile might mine more moreover most mostly much must
my myself namely neither never nevertheless next no nobody none noone nor not nothing now nowhere of off
often on once one only onto or other others otherwise our ours ourselves out over own per perhaps please
rather re same see seem seemed seeming seems several she should shouldn't since so some somehow someone
something sometime sometimes somewhere still such than that that's the their theirs them themselves then
thence there thereafter thereby therefore therein thereupon these they this those though through throughout
thru thus to together too toward towards under unless until up upon us use used uses using very via was
wasn't we well were weren't what whatever when whence whenever where whereafter whereas whereby wherein
whereupon wherever whether which while whither who whoever whole whom whose why will with within without
won't would wouldn't yet you your yours yourself yourselves s t d ll m ve
""".split()
)
