select a
from t where x=1